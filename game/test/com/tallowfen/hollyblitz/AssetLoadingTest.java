package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertAll;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Image;
import java.awt.image.BufferedImage;
import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.PrintStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Locale;
import javax.imageio.ImageIO;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

class AssetLoadingTest {

    @TempDir
    Path workspace;

    /** Writes every frame of the picture table, its names in mixed letter case, into a lower-case folder. */
    private void writeAllFrames(HollyBlitz game) throws IOException {
        File gifs = workspace.resolve("xmasgifs").toFile();
        assertTrue(gifs.mkdir());
        for (int id = 0; id < game.fileList.length / 2; id++) {
            String stem = game.fileList[2 * id];
            for (int k = 0; k < TestWorld.frameCount(id); k++) {
                String name = stem + k + ".gif";
                if (id % 3 == 0) {
                    name = name.toLowerCase(Locale.ROOT);
                } else if (id % 3 == 1) {
                    name = name.toUpperCase(Locale.ROOT);
                }
                int[] size = TestWorld.SIZES[id];
                BufferedImage img = new BufferedImage(size[0], size[1], BufferedImage.TYPE_INT_RGB);
                assertTrue(ImageIO.write(img, "gif", new File(gifs, name)));
            }
        }
    }

    private String loadImagesCapturingErrors(HollyBlitz game) {
        PrintStream saved = System.err;
        ByteArrayOutputStream err = new ByteArrayOutputStream();
        System.setErr(new PrintStream(err, true));
        try {
            game.loadObjectImages();
        } finally {
            System.setErr(saved);
        }
        return err.toString();
    }

    @Test
    void everyFrameLoadsWhateverTheLetterCaseOfItsFile() throws IOException {
        HollyBlitz game = new HollyBlitz();
        game.workspace = workspace.toString();
        writeAllFrames(game);

        assertEquals("All images loaded successfully." + System.lineSeparator(), loadImagesCapturingErrors(game));

        for (int id = 0; id < game.fileList.length / 2; id++) {
            int frames = TestWorld.frameCount(id);
            Image[] slots = game.gameImages[id].objectImage;
            for (int k = 0; k < frames; k++) {
                assertNotNull(slots[k], "picture " + id + " frame " + k);
                assertEquals(TestWorld.SIZES[id][0], slots[k].getWidth(game), "picture " + id + " frame " + k);
            }
            assertNull(slots[frames], "slot after the last frame of picture " + id);
        }
    }

    @ParameterizedTest(name = "picture {0}")
    @ValueSource(ints = {HollyBlitz.NULLOBJECT, HollyBlitz.ELFBOUNCING})
    void picturesWithoutFramesGetAnEmptyFrameTable(int id) {
        HollyBlitz game = new HollyBlitz();
        game.workspace = workspace.toString();
        loadImagesCapturingErrors(game);
        ImageObject picture = game.gameImages[id];
        assertNotNull(picture);
        for (Image frame : picture.objectImage) {
            assertNull(frame);
        }
    }

    @Test
    void missingFramesAreReportedAndHaveNoExtent() throws IOException {
        File gifs = workspace.resolve("XmasGifs").toFile();
        assertTrue(gifs.mkdir());
        ImageIO.write(new BufferedImage(6, 6, BufferedImage.TYPE_INT_RGB), "gif", new File(gifs, "Shell0.gif"));
        HollyBlitz game = new HollyBlitz();
        game.workspace = workspace.toString();

        assertEquals("Failed to load one or more images." + System.lineSeparator(), loadImagesCapturingErrors(game));

        assertEquals(6, game.gameImages[HollyBlitz.SHELL].objectImage[0].getWidth(game));
        SplashScreen missing = new SplashScreen(game, HollyBlitz.FRONTSPLASH);
        assertEquals(0, missing.width);
        assertEquals(0, missing.height);
        // A frame that failed draws nothing and does not stop the pass.
        game.createBackBuffer();
        missing.drawObject();
        assertEquals(1, missing.anim);
    }

    @Test
    void workspaceIsTheBootStagesFolderOrTheCurrentOne() {
        String saved = System.getProperty("quillpod.dir");
        try {
            System.clearProperty("quillpod.dir");
            assertEquals(".", new HollyBlitz().workspace);
            System.setProperty("quillpod.dir", "/tmp/run 1");
            assertEquals("/tmp/run 1", new HollyBlitz().workspace);
        } finally {
            if (saved == null) {
                System.clearProperty("quillpod.dir");
            } else {
                System.setProperty("quillpod.dir", saved);
            }
        }
    }

    @Test
    void frameFilesAreNamedByStemAndFrameNumberUnderTheWorkspace() {
        AssetFolder folder = new AssetFolder("/no/such/workspace", "XmasGifs");
        assertEquals("/no/such/workspace/XmasGifs/AAAGun31.gif", folder.path("AAAGun31.gif"));
    }

    @ParameterizedTest(name = "sound {0} -> {1}")
    @CsvSource({
        "0, ",
        "-1, ",
        "-2147483648, ",
        "33, ",
        "1, GunFiring",
        "17, ElfScreams1",
        "24, BellLoop",
        "31, ElfCheer2",
        "32, PresentExplode",
    })
    void soundStems(int id, String stem) {
        assertEquals(stem, new HollyBlitz().getSoundFileReference(id));
    }

    @Test
    void soundsLoadWhateverTheLetterCaseAndMissingOnesStayQuiet() throws IOException {
        Path sounds = Files.createDirectory(workspace.resolve("XmasSounds"));
        Files.write(sounds.resolve("gunfiring.au"), new byte[] {0x2e, 0x73, 0x6e, 0x64});
        Files.write(sounds.resolve("ElfCheer2.AU"), new byte[] {0x2e, 0x73, 0x6e, 0x64, 1, 2});
        HollyBlitz game = new HollyBlitz();
        game.workspace = workspace.toString();

        game.loadSounds();

        assertAll(
            () -> assertNull(game.gameSounds[0]),
            () -> assertTrue(game.gameSounds[HollyBlitz.GUNFIRING].isValid()),
            () -> assertTrue(game.gameSounds[HollyBlitz.ELFCHEER2].isValid()),
            () -> assertFalse(game.gameSounds[HollyBlitz.MERRYXMAS].isValid()),
            () -> assertNotNull(game.gameSounds[HollyBlitz.PRESENTEXPLODE]),
            () -> assertNull(game.gameSounds[HollyBlitz.PRESENTEXPLODE + 1]));
    }
}
