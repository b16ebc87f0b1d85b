package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Dimension;
import java.io.ByteArrayOutputStream;
import java.io.PrintStream;
import java.nio.file.Path;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class ShellStartTest {

    @TempDir
    Path workspace;

    @Test
    void initReadiesTheWindowAndTheLoopAndOpensOnTheFrontScreen() throws InterruptedException {
        HollyBlitz game = new HollyBlitz();
        game.workspace = workspace.toString();
        PrintStream savedOut = System.out;
        PrintStream savedErr = System.err;
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        ByteArrayOutputStream err = new ByteArrayOutputStream();
        System.setOut(new PrintStream(out, true));
        System.setErr(new PrintStream(err, true));
        Thread loop;
        try {
            game.init();
            loop = game.runner;
        } finally {
            System.setOut(savedOut);
            System.setErr(savedErr);
        }
        try {
            assertEquals("Begin initialization..." + System.lineSeparator(), out.toString());
            assertTrue(err.toString().startsWith("Failed to load one or more images."), err.toString());
            assertEquals(HollyBlitz.FRONTSCREEN, game.gameState);
            assertNotNull(loop);
            assertTrue(loop.isAlive());
            assertFalse(game.isShowing());
            assertFalse(game.isResizable());
            assertEquals(new Dimension(600, 450), game.playfield.getSize());
            assertEquals(600, game.offscreenImg.getWidth(null));
            assertEquals(472, game.offscreenImg.getHeight(null));
            assertNotNull(game.midground);
            assertNotNull(game.gameSounds[HollyBlitz.PRESENTEXPLODE]);
        } finally {
            game.stop();
            loop.join();
            game.dispose();
        }
    }
}
