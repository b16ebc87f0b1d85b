package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class ElfTest {

    private final ScriptedRandom r = new ScriptedRandom();
    private final SoundLog game = SoundLog.playing(r);

    /** A sleigh to drop from, standing still at (x, y), with no convoy around it. */
    private Sleigh dropper(double x, double y) {
        Sleigh sleigh = new Sleigh(game);
        sleigh.xPos = x;
        sleigh.yPos = y;
        return sleigh;
    }

    private Elf drop(double x, double y, int chuteDraw) {
        r.below(48, chuteDraw);
        return new Elf(game, dropper(x, y));
    }

    /** An elf standing on the ground under its canopy, just landed. */
    private Elf landed(double x) {
        Elf elf = drop(x, 300, 10);
        while (elf.gameType == HollyBlitz.ELFFALLING) {
            elf.doMove();
        }
        return elf;
    }

    private Shell shellMoving(double dx, double dy) {
        Shell shell = new Shell(game, game.gun);
        shell.xVel = dx;
        shell.yVel = dy;
        return shell;
    }

    @ParameterizedTest(name = "dropped at {0}, draw {1}: opens past {2}")
    @CsvSource({
        "100.0, 0,  -1",
        "100.0, 1,  -1",
        "100.0, 2,  134",
        "100.0, 47, 179",
        "100.5, 2,  -1",
        "100.5, 3,  135",
    })
    void theParachuteHeightIsDrawnBelowTheSleigh(double y, int draw, int chuteHeight) {
        Elf elf = drop(300, y, draw);
        assertEquals(chuteHeight, elf.chuteHeight);
        assertEquals(chuteHeight > 0, elf.collidesWithShell);
        assertEquals(HollyBlitz.ELFFALLING, elf.gameType);
        assertEquals(HollyBlitz.ELFFALLING, elf.imageRef);
        assertEquals(12, elf.width, "box of the parachuting picture");
        assertEquals(17, elf.height);
        assertEquals(5.0, elf.yVel);
        assertSame(elf, game.elves.get(0));
    }

    @Test
    void theCanopyOpensInTheFirstStepPastItsHeightAndSinksWithTheElf() {
        Elf elf = drop(250, 100, 10);
        assertEquals(142, elf.chuteHeight);
        List<Double> heights = new ArrayList<Double>();
        while (elf.parachute == null) {
            elf.doMove();
            heights.add(elf.yPos);
        }
        assertEquals(Arrays.asList(105.0, 110.0, 115.0, 120.0, 125.0, 130.0, 135.0, 140.0, 145.0), heights);
        Parachute canopy = elf.parachute;
        assertSame(canopy, game.parachutes.get(0));
        assertSame(elf, canopy.parent);
        assertEquals(HollyBlitz.ELFPARACHUTING, elf.imageRef);
        assertEquals(-1, elf.chuteHeight);
        assertEquals(1.75, elf.yVel);
        assertEquals(1.75, canopy.yVel);
        assertEquals(250, canopy.xPos);
        assertEquals(145 - 23, canopy.yPos, "17 + 6 above the elf");
        assertEquals(HollyBlitz.PARACHUTEOPENING, canopy.imageRef);
        assertEquals(HollyBlitz.PARACHUTE, canopy.nextImageRef);
        assertTrue(canopy.cycleOnce);
        assertEquals(16, canopy.width);
        assertEquals(6, canopy.height);
        assertTrue(canopy.collidesWithShell);
    }

    @ParameterizedTest(name = "no canopy, landing at x {0}")
    @CsvSource({
        "300.0, -5.0, 21",
        "300.5,  5.0, 20",
    })
    void anElfWithoutCanopyHopsAwayFromTheMiddle(double x, double xVel, int picture) {
        Elf elf = drop(x, 100, 0);
        while (elf.gameType == HollyBlitz.ELFFALLING) {
            elf.doMove();
        }
        assertEquals(HollyBlitz.ELFBOUNCING, elf.gameType);
        assertEquals(picture, elf.imageRef);
        assertEquals(420.0, elf.yPos);
        assertEquals(-5.0, elf.yVel);
        assertEquals(xVel, elf.xVel);
        assertEquals(Arrays.asList(HollyBlitz.ELFBOUNCE), game.sounds);
        // Hops at the same height each time, until beyond 612 or -12.
        double highest = 420;
        int steps = 0;
        while (game.elves.contains(elf)) {
            elf.doMove();
            highest = Math.min(highest, elf.yPos);
            assertTrue(elf.yPos <= 420.0);
            steps++;
        }
        assertEquals(x > 300 ? 63 : 63, steps);
        assertTrue(highest < 372 && highest > 365, "hop top " + highest);
    }

    @Test
    void anElfThatLostItsCanopyFallsAndCannotBeHit() {
        Elf elf = drop(200, 100, 10);
        while (elf.parachute == null) {
            elf.doMove();
        }
        Parachute canopy = elf.parachute;
        canopy.doBlasted(shellMoving(0, -6), canopy);
        assertEquals(1, game.score);
        assertNull(elf.parachute);
        assertTrue(game.parachutes.isEmpty());
        assertFalse(canopy.collidesWithShell);
        assertFalse(elf.collidesWithShell);
        assertEquals(HollyBlitz.ELFFALLING, elf.imageRef);
        assertEquals(5.0, elf.yVel);
        assertEquals(Arrays.asList(HollyBlitz.PARACHUTESHREDDED), game.sounds);
        while (elf.gameType == HollyBlitz.ELFFALLING) {
            elf.doMove();
        }
        assertEquals(HollyBlitz.ELFBOUNCING, elf.gameType);
    }

    @ParameterizedTest(name = "landing at {0}: runs at {1}")
    @CsvSource({"300.0, 1.0, 18", "300.5, -1.0, 19", "50, 1.0, 18", "550, -1.0, 19"})
    void anElfUnderItsCanopyLandsAndRunsForTheGun(double x, double xVel, int picture) {
        Elf elf = landed(x);
        Parachute canopy = elf.parachute;
        assertEquals(HollyBlitz.ELFRUNNINGLR, elf.gameType);
        assertEquals(picture, elf.imageRef);
        assertEquals(xVel, elf.xVel);
        assertEquals(0.0, elf.yVel);
        assertEquals(420.0, elf.yPos);
        assertFalse(elf.collidesWithShell);
        assertSame(canopy, elf.parachute, "the elf keeps its reference");
        assertFalse(game.parachutes.contains(canopy));
    }

    @Test
    void anElfLandingNextToTheGunClimbsAfterOneStep() {
        Elf elf = landed(300.0);
        elf.doMove();
        assertEquals(HollyBlitz.ELFCLIMBING, elf.gameType);
        assertEquals(HollyBlitz.ELFCLIMBING, elf.imageRef);
        assertEquals(300.0, elf.xPos);
        assertEquals(-0.7, elf.yVel);
    }

    @Test
    void anElfDecoratesTheFirstBarrackThatStillTakesDecorations() {
        Barrack first = (Barrack) game.barracks.get(0);
        Barrack second = (Barrack) game.barracks.get(1);
        first.decorated = 3;
        first.imageRef = HollyBlitz.BARRACKLDECC;
        Elf elf = landed(50);
        int steps = 0;
        while (elf.gameType == HollyBlitz.ELFRUNNINGLR) {
            elf.doMove();
            steps++;
        }
        assertEquals(HollyBlitz.ELFDECORATING, elf.gameType);
        assertEquals(HollyBlitz.ELFDECORATING, elf.imageRef);
        assertTrue(elf.cycleOnce);
        assertEquals(145.0, elf.xPos, "first beyond 156 - 12");
        assertEquals(95, steps);
        assertEquals(1, second.decorated);
        assertEquals(HollyBlitz.BARRACKLDECA, second.imageRef);
        assertEquals(3, first.decorated);
        GameObject puff = game.smokeTrails.get(0);
        assertEquals(HollyBlitz.CHANGEPUFF, puff.imageRef);
        assertEquals(156.0, puff.xPos);
        assertEquals(391.0, puff.yPos);
        assertEquals(HollyBlitz.ELFDECORATE, game.sounds.get(game.sounds.size() - 1));
        // It stands still while it decorates.
        elf.doMove();
        assertEquals(145.0, elf.xPos);
    }

    @Test
    void anElfPassesFullBarracksAndClimbsTheGun() {
        for (int i = 0; i < 3; i++) {
            ((Barrack) game.barracks.get(i)).decorated = 3;
        }
        Elf elf = landed(50);
        while (elf.gameType == HollyBlitz.ELFRUNNINGLR) {
            elf.doMove();
        }
        assertEquals(HollyBlitz.ELFCLIMBING, elf.gameType);
        assertTrue(game.smokeTrails.isEmpty());
    }

    @Test
    void anElfLandingBeyondTheLastBarrackGoesStraightToTheGun() {
        Elf elf = landed(280);
        while (elf.gameType == HollyBlitz.ELFRUNNINGLR) {
            elf.doMove();
        }
        assertEquals(HollyBlitz.ELFCLIMBING, elf.gameType);
        for (GameObject b : game.barracks) {
            assertEquals(0, ((Barrack) b).decorated);
        }
    }

    @Test
    void fourElvesOnTheLadderTurnTheGunIntoATree() {
        int[] rungs = {420, 394, 368, 342};
        int[] climbs = {1, 38, 75, 112};
        for (int i = 0; i < 4; i++) {
            Elf elf = landed(300.0);
            elf.doMove();
            int steps = 0;
            while (elf.yVel != 0) {
                elf.doMove();
                steps++;
            }
            assertEquals(rungs[i], elf.yPos, "elf " + i);
            assertEquals(climbs[i], steps, "elf " + i);
            assertEquals(i + 1, game.gun.ladderElves);
            if (i < 3) {
                assertEquals(HollyBlitz.ELFLADDER, elf.gameType);
                assertEquals(HollyBlitz.PLAYING, game.gameState);
            }
        }
        assertEquals(HollyBlitz.XMASTREE, game.gun.gameType);
        assertEquals(HollyBlitz.POSTGAME, game.gameState);
        // The victory dance: the last climber celebrates, the ladder elves hang showing their fall.
        assertEquals(HollyBlitz.ELFCELEBRATE, game.elves.get(3).imageRef);
        for (int i = 0; i < 3; i++) {
            assertEquals(HollyBlitz.ELFFALLING, game.elves.get(i).imageRef);
            game.elves.get(i).doMove();
            assertEquals(rungs[i], game.elves.get(i).yPos);
        }
    }

    @Test
    void climbersRaiseEachOthersTargetAsTheyArrive() {
        Elf first = landed(300.0);
        first.doMove();
        Elf second = landed(300.0);
        second.doMove();
        first.doMove();
        assertEquals(420.0, first.yPos);
        assertEquals(1, game.gun.ladderElves);
        for (int i = 0; i < 38; i++) {
            second.doMove();
        }
        assertEquals(394.0, second.yPos);
    }

    @Test
    void afterTheGameIsLostALandingElfCelebratesWhereItLands() {
        game.gun.turnIntoTree(new Smoke(game, game.gun));
        Elf elf = landed(100);
        assertEquals(HollyBlitz.ELFCELEBRATE, elf.gameType);
        assertEquals(HollyBlitz.ELFCELEBRATE, elf.imageRef);
        elf.doMove();
        assertEquals(100.0, elf.xPos);
        assertEquals(420.0, elf.yPos);
    }

    @ParameterizedTest(name = "hit at x {0}: picture {1}")
    @CsvSource({"300.0, 20", "299.9, 21", "450, 20"})
    void aShotElfFliesOffAlongTheShellsPath(double x, int picture) {
        Elf elf = drop(x, 100, 10);
        while (elf.parachute == null) {
            elf.doMove();
        }
        Parachute canopy = elf.parachute;
        r.below(7, 6);
        elf.doBlasted(shellMoving(1.5, -5.5), elf);
        assertEquals(1, game.score);
        assertEquals(Arrays.asList(HollyBlitz.ELFHIT7), game.sounds);
        assertEquals(HollyBlitz.ELFBLASTEDLR, elf.gameType);
        assertEquals(picture, elf.imageRef);
        assertFalse(elf.collidesWithShell);
        assertFalse(game.parachutes.contains(canopy));
        assertSame(canopy, elf.parachute);
        double y = elf.yPos;
        elf.doMove();
        assertEquals(x + 3.0, elf.xPos, 1e-9);
        assertEquals(y - 11.0, elf.yPos, 1e-9);
        while (game.elves.contains(elf)) {
            elf.doMove();
        }
        assertTrue(elf.yPos < -94.4);
    }

    @Test
    void theVictoryDanceLeavesElvesInTheAirAlone() {
        int[] before = {HollyBlitz.ELFFALLING, HollyBlitz.ELFPARACHUTING, HollyBlitz.ELFBLASTEDLR,
            HollyBlitz.ELFBLASTEDRL, HollyBlitz.ELFLADDER, HollyBlitz.ELFRUNNINGRL, HollyBlitz.ELFDECORATING};
        int[] after = {HollyBlitz.ELFFALLING, HollyBlitz.ELFPARACHUTING, HollyBlitz.ELFBLASTEDLR,
            HollyBlitz.ELFBLASTEDRL, HollyBlitz.ELFFALLING, HollyBlitz.ELFCELEBRATE, HollyBlitz.ELFCELEBRATE};
        for (int picture : before) {
            Elf elf = drop(100, 100, 10);
            elf.imageRef = picture;
            elf.cycleOnce = picture == HollyBlitz.ELFDECORATING;
        }
        game.gameEnd();
        for (int i = 0; i < before.length; i++) {
            assertEquals(after[i], game.elves.get(i).imageRef, "elf " + i);
        }
        assertEquals(Arrays.asList(HollyBlitz.MERRYXMAS, HollyBlitz.ELFCHEER2), game.sounds);
        // A decorating elf celebrates once and is gone.
        assertTrue(game.elves.get(6).cycleOnce);
    }
}
