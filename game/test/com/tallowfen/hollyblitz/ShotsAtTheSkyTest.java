package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.Arrays;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Shells meeting the convoys and the elves through the shells' own hit test. */
class ShotsAtTheSkyTest {

    private final ScriptedRandom r = new ScriptedRandom();
    private final SoundLog game = SoundLog.playing(r);

    private Shell shellAt(double x, double y, double dx, double dy) {
        Shell shell = new Shell(game, game.gun);
        shell.xPos = x;
        shell.yPos = y;
        shell.xVel = dx;
        shell.yVel = dy;
        return shell;
    }

    private Sleigh convoy(int facing) {
        r.repeat(11, 0.99);
        return new Sleigh(game, 3, 1, 3.0, facing);
    }

    @Test
    void aShellInsideAnElfAndItsCanopyHitsTheElfOnce() {
        Sleigh dropper = new Sleigh(game);
        dropper.xPos = 200;
        dropper.yPos = 100;
        r.below(48, 10);
        Elf elf = new Elf(game, dropper);
        while (elf.parachute == null) {
            elf.doMove();
        }
        Parachute canopy = elf.parachute;
        // Its first move in the step it opened brings the canopy's box down over the elf's.
        canopy.doMove();
        // Low in the canopy's box and high in the elf's.
        double y = canopy.yPos + canopy.height - 1;
        assertTrue(elf.collisionBoxContains(200, y) && canopy.collisionBoxContains(200, y));
        Shell first = shellAt(200, y, 0, -6);
        Shell second = shellAt(200, y, 0, -6);
        r.below(7, 0).below(2, 0);
        assertTrue(first.doCollision(first));
        assertFalse(second.doCollision(second), "nothing left to hit");
        assertEquals(1, game.score);
        assertFalse(game.parachutes.contains(canopy));
        assertEquals(HollyBlitz.SHELL, second.gameType);
    }

    @Test
    void shellsPassThroughReinsAndRingOnTheSleigh() {
        Sleigh sleigh = convoy(0);
        Rein rein = sleigh.tack[1];
        Shell through = shellAt(rein.xPos, rein.yPos, 0, -6);
        assertFalse(through.doCollision(through));
        assertEquals(HollyBlitz.SHELL, through.gameType);
        Shell ringing = shellAt(sleigh.xPos + 5, sleigh.yPos, 0, -6);
        r.below(2, 1).below(2, 0);
        assertTrue(ringing.doCollision(ringing));
        assertEquals(HollyBlitz.SHELLBLASTA, ringing.gameType);
        assertEquals(0, game.score);
        assertEquals(Arrays.asList(HollyBlitz.SLEIGHHITB), game.sounds);
    }

    @ParameterizedTest(name = "reindeer at x {0}: picture {1}")
    @CsvSource({"300.0, 35", "420.0, 35", "299.5, 36"})
    void aShotReindeerIsThrownAlongTheShellsPath(double x, int picture) {
        Sleigh sleigh = convoy(1);
        Reindeer deer = sleigh.team[2];
        deer.xPos = x;
        Shell shell = shellAt(x, deer.yPos, 3.0, -5.0);
        r.below(3, 2).below(2, 0);
        assertTrue(shell.doCollision(shell));
        assertEquals(1, game.score);
        assertEquals(picture, deer.imageRef);
        assertEquals(HollyBlitz.REINDEERBLASTEDLR, deer.gameType);
        assertEquals(HollyBlitz.DEERHIT3, game.sounds.get(0));
        for (int i = 0; i < 10; i++) {
            deer.doMove();
        }
        assertEquals(x + 60, deer.xPos, 1e-9);
        assertEquals(94 - 100, deer.yPos, 1e-9);
        // Reindeer 0 and 1 still pull: no rein is cut.
        assertEquals(3, game.reins.size());
    }
}
