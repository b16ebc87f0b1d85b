package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.stream.Collectors;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class SleighTest {

    private final ScriptedRandom r = new ScriptedRandom();
    private final SoundLog game = SoundLog.playing(r);

    /** An ordinary convoy with no drop points and no banner. */
    private Sleigh convoy(int size, int layer, double speed, int facing) {
        r.repeat(11, 0.99);
        if (layer == 0) {
            r.below(100, 99);
        }
        Sleigh sleigh = new Sleigh(game, size, layer, speed, facing);
        assertEquals(0, r.left());
        return sleigh;
    }

    private Shell shellMoving(double dx, double dy) {
        Shell shell = new Shell(game, game.gun);
        shell.xVel = dx;
        shell.yVel = dy;
        return shell;
    }

    @ParameterizedTest(name = "size {0} facing {1}")
    @CsvSource({
        "2, 0, -32 -90,                  -64 -122,                   -148",
        "3, 0, -32 -90 -148,             -64 -122 -180,              -206",
        "4, 0, -32 -90 -148 -206,        -64 -122 -180 -238,         -264",
        "2, 1, 632 690,                  664 722,                    748",
        "4, 1, 632 690 748 806,          664 722 780 838,            864",
        "8, 0, -32 -90 -148 -206 -264 -322 -380 -438, -64 -122 -180 -238 -296 -354 -412 -470, -496",
    })
    void aConvoyEntersAsOneFileLeadFirst(int size, int facing, String deer, String reins, int sleighX) {
        double speed = 4.25;
        Sleigh sleigh = size == 8 ? new Santa(game, 8, 0, 3.5, facing) : convoy(size, 1, speed, facing);
        double v = facing == 0 ? sleigh.xVel : -sleigh.xVel;
        assertTrue(v > 0);
        assertEquals(sleighX, sleigh.xPos);
        assertEquals(size, sleigh.length);
        assertEquals(xs(deer), game.reindeers.stream().map(o -> (int) o.xPos).collect(Collectors.toList()));
        assertEquals(xs(reins), game.reins.stream().map(o -> (int) o.xPos).collect(Collectors.toList()));
        List<GameObject> members = new ArrayList<GameObject>(game.reindeers);
        members.addAll(game.reins);
        for (GameObject m : members) {
            assertEquals(sleigh.yPos, m.yPos);
            assertEquals(sleigh.xVel, m.xVel);
            assertEquals(0.0, m.yVel);
        }
        for (int n = 0; n < size; n++) {
            assertSame(game.reindeers.get(n), sleigh.team[n]);
            assertSame(game.reins.get(n), sleigh.tack[n]);
        }
        if (size < 8) {
            assertNull(sleigh.team[size], "slots beyond the team stay empty");
        }
        int picture = facing == 0 ? HollyBlitz.REINDEERLR : HollyBlitz.REINDEERRL;
        assertEquals(picture, game.reindeers.get(0).imageRef);
        assertEquals(HollyBlitz.REINDEERLR, game.reindeers.get(0).gameType);
        assertEquals(23, game.reindeers.get(0).width);
        assertEquals(0, game.reins.get(0).width, "reins have no box");
        assertFalse(game.reins.get(0).collidesWithShell);
    }

    private static List<Integer> xs(String list) {
        return Arrays.stream(list.trim().split(" +")).map(Integer::valueOf).collect(Collectors.toList());
    }

    @ParameterizedTest(name = "layer {0} flies at y {1}")
    @CsvSource({"0, 40", "1, 94", "2, 148", "3, 202"})
    void eachLayerHasItsHeight(int layer, int y) {
        Sleigh sleigh = convoy(3, layer, 3.0, 1);
        assertEquals(y, sleigh.yPos);
        assertEquals(HollyBlitz.SLEIGHELFRL, sleigh.imageRef);
        assertEquals(HollyBlitz.SLEIGHELFLR, sleigh.gameType);
        assertEquals(31, sleigh.width, "box from the left-to-right picture");
        assertEquals(20, sleigh.height);
        assertEquals(270, sleigh.heading);
        assertTrue(sleigh.collidesWithShell);
    }

    @ParameterizedTest(name = "layer {0} facing {1}")
    @CsvSource({
        "0, 0, 59 105 151 197 243 289 335 381 427 473 519",
        "1, 0, 59 105 151 197 243 289 335 381 427 473 519",
        "2, 0, 105 151 197 243 289 335 381 427 473",
        "3, 0, 151 197 243 289 335 381 427",
        "3, 1, 427 381 335 289 243 197 151",
        "0, 1, 519 473 427 381 335 289 243 197 151 105 59",
    })
    void dropPointsKeepToTheLayersWindowInTheOrderOfFlight(int layer, int facing, String expected) {
        r.repeat(11, 0.0);
        if (layer == 0) {
            r.below(100, 99);
        }
        Sleigh sleigh = new Sleigh(game, 2, layer, 3.0, facing);
        assertEquals(0, r.left(), "eleven drop draws whatever survives");
        assertEquals(xs(expected), sleigh.dropPoints.stream().map(p -> p.xPos).collect(Collectors.toList()));
        for (Sleigh.DropPoint p : sleigh.dropPoints) {
            assertEquals(facing == 0, p.HeadingPos);
        }
    }

    @ParameterizedTest(name = "layer {0}: a draw of {1} drops: {2}")
    @CsvSource({"0, 39, true", "0, 40, false", "1, 34, true", "1, 35, false", "3, 24, true", "3, 25, false"})
    void theDropChanceFallsWithTheLayer(int layer, int draw, boolean kept) {
        // Only the middle candidate, inside every layer's window, gets the draw under test.
        for (int i = 0; i < 11; i++) {
            r.below(100, i == 5 ? draw : 99);
        }
        if (layer == 0) {
            r.below(100, 99);
        }
        Sleigh sleigh = new Sleigh(game, 2, layer, 3.0, 0);
        assertEquals(kept ? 1 : 0, sleigh.dropPoints.size());
    }

    @Test
    void santaHasAllElevenPlacesWithoutDraws() {
        Santa right = new Santa(game, 8, 0, 3.5, 0);
        Santa left = new Santa(game, 8, 0, 3.5, 1);
        assertEquals(xs("46 92 138 184 230 276 322 368 414 460 506"),
            right.dropPoints.stream().map(p -> p.xPos).collect(Collectors.toList()));
        assertEquals(xs("506 460 414 368 322 276 230 184 138 92 46"),
            left.dropPoints.stream().map(p -> p.xPos).collect(Collectors.toList()));
        assertEquals(1096, left.xPos);
        assertEquals(32, right.width);
        assertEquals(31, right.height);
        assertEquals(0, r.draws);
        assertEquals(Arrays.asList(HollyBlitz.SANTAAPPEARS, HollyBlitz.SANTAAPPEARS), game.sounds);
    }

    @ParameterizedTest(name = "facing {0} at x {1}: drops {2}")
    @CsvSource({"0, 289.0, false", "0, 289.5, true", "1, 289.0, false", "1, 288.5, true", "1, 290.0, false"})
    void aDropComesOnlyOnceTheSleighIsStrictlyPast(int facing, double x, boolean drops) {
        Sleigh sleigh = convoy(2, 1, 3.0, facing);
        sleigh.dropPoints.add(new Sleigh.DropPoint(289, facing == 0));
        sleigh.dropPoints.add(new Sleigh.DropPoint(facing == 0 ? 100 : 500, facing == 0));
        sleigh.xPos = x;
        if (drops) {
            r.below(48, 20);
        }
        sleigh.doDrop();
        assertEquals(drops ? 1 : 0, game.elves.size());
        assertEquals(drops ? 1 : 2, sleigh.dropPoints.size());
        if (drops) {
            assertEquals(x, game.elves.get(0).xPos, "from the sleigh itself");
            // The second point was passed long ago, but a sleigh drops at most once a step.
            r.below(48, 20);
            sleigh.doDrop();
            assertEquals(2, game.elves.size());
            sleigh.doDrop();
            assertEquals(2, game.elves.size());
        }
    }

    @Test
    void aHitOnTheSleighOnlyRings() {
        Sleigh sleigh = convoy(2, 1, 3.0, 0);
        r.below(2, 0, 1);
        sleigh.doBlasted(shellMoving(0, -6), sleigh);
        sleigh.doBlasted(shellMoving(0, -6), sleigh);
        assertEquals(Arrays.asList(HollyBlitz.SLEIGHHITA, HollyBlitz.SLEIGHHITB), game.sounds);
        assertEquals(0, game.score);
        assertTrue(sleigh.collidesWithShell);
    }

    /** Shoots reindeer n with a shell from below. */
    private void shoot(Sleigh sleigh, int n, int crashDraw) {
        r.below(3, 0);
        if (crashDraw >= 0) {
            r.below(5, crashDraw);
        }
        Reindeer deer = sleigh.team[n];
        deer.doBlasted(shellMoving(0, -6), deer);
        assertEquals(0, r.left());
    }

    @Test
    void reinsAreCutFromTheLeadBackToTheFirstSurvivor() {
        Sleigh sleigh = convoy(3, 1, 3.0, 0);
        Rein[] reins = sleigh.tack.clone();
        shoot(sleigh, 1, -1);
        assertEquals(3, game.reins.size(), "the lead still pulls");
        shoot(sleigh, 0, -1);
        assertNull(sleigh.tack[0]);
        assertNull(sleigh.tack[1]);
        assertSame(reins[2], sleigh.tack[2]);
        assertEquals(Arrays.asList(reins[2]), new ArrayList<GameObject>(game.reins));
        assertEquals(HollyBlitz.SLEIGHELFLR, sleigh.gameType);
        assertEquals(2, game.score);
    }

    @Test
    void theLastReindeerBringsTheSleighDownOnce() {
        game.sleighManager.skyLayer[0] = true;
        r.repeat(11, 0.0).below(100, 0);
        Sleigh sleigh = new Sleigh(game, 2, 0, 4.0, 1);
        Banner banner = sleigh.banner;
        assertSame(game.banners.get(0), banner);
        sleigh.xPos = 400;
        shoot(sleigh, 0, -1);
        game.sounds.clear();
        shoot(sleigh, 1, 3);
        assertEquals(2 + 2, game.score, "a point a reindeer and the sleigh's length");
        assertEquals(Arrays.asList(HollyBlitz.DEERHIT1, HollyBlitz.SLEIGHFALLING4), game.sounds);
        assertEquals(HollyBlitz.SLEIGHCRASHINGLR, sleigh.gameType);
        assertEquals(HollyBlitz.SLEIGHCRASHINGRL, sleigh.imageRef);
        assertTrue(sleigh.drawInBackground);
        assertFalse(sleigh.collidesWithShell);
        assertTrue(sleigh.dropPoints.isEmpty());
        assertTrue(game.banners.isEmpty());
        assertTrue(game.reins.isEmpty());
        assertEquals(-4.0, sleigh.xVel);
        assertEquals(2.0, sleigh.yVel);
        // A second harness check finds nothing left to cut.
        sleigh.checkReinIntegrity(sleigh);
        assertEquals(4, game.score);
    }

    @Test
    void aWreckSinksSidewaysAndSmokesEverySixthStep() {
        Sleigh sleigh = convoy(2, 1, 3.0, 0);
        sleigh.xPos = 300;
        sleigh.yPos = 94;
        shoot(sleigh, 0, -1);
        shoot(sleigh, 1, 0);
        List<Integer> puffSteps = new ArrayList<Integer>();
        for (int step = 0; step < 14; step++) {
            int before = game.smokeTrails.size();
            sleigh.doMove();
            sleigh.doDrop();
            sleigh.doSmoke();
            if (game.smokeTrails.size() > before) {
                puffSteps.add(step);
                GameObject puff = game.smokeTrails.get(before);
                assertEquals(sleigh.xPos - 6.0, puff.xPos);
                assertEquals(sleigh.yPos - 4.0, puff.yPos);
            }
        }
        assertEquals(Arrays.asList(0, 6, 12), puffSteps);
        assertEquals(300 + 14 * 3.0, sleigh.xPos);
        assertEquals(94 + 14 * 2.0, sleigh.yPos);
        assertTrue(game.elves.isEmpty());
    }

    @Test
    void aWreckLeavesBelowTheScreenAndFreesItsLayer() {
        game.sleighManager.skyLayer[3] = true;
        Sleigh sleigh = convoy(2, 3, 3.0, 0);
        sleigh.xPos = 300;
        shoot(sleigh, 0, -1);
        shoot(sleigh, 1, 0);
        int steps = 0;
        while (game.sleighs.contains(sleigh)) {
            game.doAllMovement();
            steps++;
        }
        // From 202 down at 2 a step, beyond 566.4.
        assertEquals(183, steps);
        assertFalse(game.sleighManager.skyLayer[3]);
    }

    @Test
    void aConvoyThatFliesOffGivesNoPoints() {
        Sleigh sleigh = convoy(2, 1, 6.0, 0);
        while (game.sleighs.contains(sleigh)) {
            game.doAllMovement();
        }
        assertTrue(game.reindeers.isEmpty());
        assertTrue(game.reins.isEmpty());
        assertEquals(0, game.score);
        assertTrue(sleigh.xPos > 1200);
    }

    @Test
    void santaDropsAPresentPastEachPlaceAndIsWorthFiftyAtTheCrash() {
        Santa santa = new Santa(game, 8, 0, 3.5, 0);
        game.r = new java.util.Random(7);
        List<Double> released = new ArrayList<Double>();
        while (santa.xPos < 520) {
            game.doAllMovement();
            if (game.presents.size() > released.size()) {
                released.add(game.presents.get(released.size()).xPos);
            }
        }
        assertEquals(11, released.size());
        int[] places = {46, 92, 138, 184, 230, 276, 322, 368, 414, 460, 506};
        for (int i = 0; i < 11; i++) {
            assertTrue(released.get(i) > places[i] && released.get(i) <= places[i] + 3.5, "present " + i);
        }
        game.sounds.clear();
        for (int n = 0; n < 8; n++) {
            Reindeer deer = santa.team[n];
            deer.doBlasted(shellMoving(0, -6), deer);
        }
        assertEquals(8 + 50, game.score);
        assertEquals(HollyBlitz.SANTACRASH, game.sounds.get(game.sounds.size() - 1));
        assertEquals(HollyBlitz.SANTACRASHINGLR, santa.gameType);
        assertEquals(HollyBlitz.SANTACRASHINGLR, santa.imageRef);
        assertTrue(santa.drawInBackground);
        assertEquals(2.0, santa.yVel);
        int before = game.smokeTrails.size();
        santa.doSmoke();
        assertEquals(before + 1, game.smokeTrails.size());
    }

    @Test
    void aCrashCancelsSantasPresentsNotYetReleased() {
        Santa santa = new Santa(game, 8, 0, 3.5, 1);
        santa.xPos = 300;
        for (int n = 0; n < 8; n++) {
            r.below(3, 0);
            Reindeer deer = santa.team[n];
            deer.doBlasted(shellMoving(0, -6), deer);
        }
        assertTrue(santa.dropPoints.isEmpty());
        santa.doDrop();
        assertTrue(game.presents.isEmpty());
    }
}
