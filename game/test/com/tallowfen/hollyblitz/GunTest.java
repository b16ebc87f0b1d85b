package com.tallowfen.hollyblitz;

import static com.tallowfen.hollyblitz.TestWorld.colour;
import static com.tallowfen.hollyblitz.TestWorld.pixel;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotSame;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.hollyblitz.TestWorld.Listed;
import com.tallowfen.util.ApplicationAudioClip;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Random;
import java.util.Vector;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class GunTest {

    private final HollyBlitz game = TestWorld.create();
    private final List<Integer> sounds = new ArrayList<Integer>();

    GunTest() {
        game.gameSounds[HollyBlitz.GUNFIRING] = new ApplicationAudioClip((String) null) {
            @Override
            public void play() {
                sounds.add(HollyBlitz.GUNFIRING);
            }
        };
        game.startGame();
    }

    /** A target that records the hits it takes. */
    static final class Target extends Listed {
        final List<GameObject> hits = new ArrayList<GameObject>();

        Target(HollyBlitz game, Vector<GameObject> list, int picture, double x, double y) {
            super(game, list, picture);
            at(x, y);
            collidesWithShell = true;
        }

        @Override
        void doBlasted(Shell shell, GameObject target) {
            assertSame(this, target);
            hits.add(shell);
        }
    }

    private Shell shellAt(double x, double y) {
        Shell shell = new Shell(game, game.gun);
        shell.xPos = x;
        shell.yPos = y;
        return shell;
    }

    /** Runs the turret for a number of steps with the given keys held; the headings seen after each. */
    private List<Integer> turn(int steps, boolean left, boolean right) {
        List<Integer> seen = new ArrayList<Integer>();
        for (int i = 0; i < steps; i++) {
            game.gun.turret(left, right, false);
            seen.add(game.gun.heading);
        }
        return seen;
    }

    private static List<Integer> range(int from, int to, int by) {
        List<Integer> out = new ArrayList<Integer>();
        for (int h = from; by > 0 ? h <= to : h >= to; h += by) {
            out.add(h);
        }
        return out;
    }

    @Test
    void turningLeftFromUpStopsAtStraightLeft() {
        List<Integer> expected = range(356, 272, -4);
        expected.addAll(Arrays.asList(270, 270, 270));
        assertEquals(expected, turn(expected.size(), true, false));
        assertEquals(0, game.gun.anim);
    }

    @Test
    void turningRightStopsAtStraightRightAndTurnsBackPastUp() {
        List<Integer> expected = range(4, 88, 4);
        expected.addAll(Arrays.asList(90, 90));
        assertEquals(expected, turn(expected.size(), false, true));
        assertEquals(31, game.gun.anim);

        List<Integer> back = range(86, 2, -4);
        back.addAll(Arrays.asList(358, 354));
        assertEquals(back, turn(back.size(), true, false));
    }

    @Test
    void bothKeysTurnLeftThenRightSoTheHeadingCanStandAt360() {
        game.gun.turret(true, true, false);
        assertEquals(360, game.gun.heading);
        assertEquals(15, game.gun.anim);
        game.gun.turret(false, true, false);
        assertEquals(4, game.gun.heading);
    }

    @ParameterizedTest(name = "heading {0}: frame {1}")
    @CsvSource({
        "270, 0", "275, 0", "276, 1", "300, 5", "330, 10", "354, 14", "359, 14", "360, 15",
        "0, 16", "5, 16", "6, 17", "45, 23", "84, 30", "89, 30", "90, 31",
    })
    void eachHeadingShowsItsBarrelFrame(int heading, int frame) {
        game.gun.heading = heading;
        game.gun.turret(false, false, false);
        assertEquals(frame, game.gun.anim);
    }

    @Test
    void theBarrelFramesSweepFromLeftToRightWithoutGapsOrReversals() {
        List<Integer> sweep = range(270, 360, 1);
        sweep.addAll(range(0, 90, 1));
        int last = 0;
        for (int heading : sweep) {
            int frame = AAAGun.barrelFrame(heading);
            assertTrue(frame == last || frame == last + 1, "heading " + heading + " gives frame " + frame);
            last = frame;
        }
        assertEquals(31, last);
    }

    @Test
    void aHeldSpaceBarFiresEveryThirdStepWhileFewerThanTenShellsExist() {
        game.spaceBar = true;
        List<Integer> fired = new ArrayList<Integer>();
        for (int step = 0; step < 60; step++) {
            int shots = sounds.size();
            game.doMain();
            if (sounds.size() > shots) {
                fired.add(step);
            }
            assertTrue(game.shells.size() <= HollyBlitz.MAXSHELLS);
        }
        // Ten shots fill the sky. Straight up, the first shell leaves it in step 50 and the gun,
        // which aims before anything moves, fires again in the step after. The shell that moved
        // into the leaver's place in the list waited that step, so it leaves in step 54, not 53.
        assertEquals(Arrays.asList(0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 51, 55, 58), fired);
    }

    @Test
    void burstingShellsCountUntilTheirBlastEnds() {
        for (int i = 0; i < HollyBlitz.MAXSHELLS; i++) {
            Shell s = shellAt(100 + 10 * i, 100);
            s.doExplode(s);
        }
        game.spaceBar = true;
        game.doMain();
        game.doMain();
        assertEquals(HollyBlitz.MAXSHELLS, game.shells.size());
        assertTrue(sounds.isEmpty());

        game.shells.get(4).discard();
        game.doMain();
        assertEquals(HollyBlitz.MAXSHELLS, game.shells.size());
        assertEquals(HollyBlitz.SHELL, game.shells.get(9).gameType);
        assertEquals(1, sounds.size());
    }

    @ParameterizedTest(name = "heading {0}: from ({1}, {2}) by ({3}, {4})")
    @CsvSource({
        "0, 300, 301, 0, -6",
        "90, 327, 331, 6, 0",
        "270, 273, 331, -6, 0",
        "60, 323.38268590218, 316, 5.19615242271, -3",
        "300, 276.61731409782, 316, -5.19615242271, -3",
        "360, 300, 301, 0, -6",
    })
    void aShellLeavesTheMuzzleAlongTheBarrel(int heading, double x, double y, double dx, double dy) {
        game.gun.heading = heading;
        game.gun.fireShell();
        assertEquals(1, game.shells.size());
        Shell shell = (Shell) game.shells.get(0);
        assertEquals(x, shell.xPos, 1e-9);
        assertEquals(y, shell.yPos, 1e-9);
        assertEquals(dx, shell.xVel, 1e-9);
        assertEquals(dy, shell.yVel, 1e-9);
        assertEquals(HollyBlitz.SHELL, shell.gameType);
        assertEquals(HollyBlitz.SHELLDELAY, game.gun.fireTimer);
        assertEquals(Arrays.asList(HollyBlitz.GUNFIRING), sounds);

        // Not ready again until the timer has run down.
        game.gun.fireShell();
        assertEquals(1, game.shells.size());
    }

    @Test
    void aShellHitsTheFirstTargetInListOrderAndNothingElse() {
        Target elf = new Target(game, game.elves, HollyBlitz.ELFFALLING, 200, 100);
        Target presentFirst = new Target(game, game.presents, HollyBlitz.PRESENTA, 200, 100);
        Target deer = new Target(game, game.reindeers, HollyBlitz.REINDEERLR, 200, 100);
        Target sleigh = new Target(game, game.sleighs, HollyBlitz.SLEIGHELFLR, 200, 100);
        Target shy = new Target(game, game.sleighs, HollyBlitz.SLEIGHELFLR, 200, 100);
        game.sleighs.remove(shy);
        game.sleighs.add(0, shy);
        shy.collidesWithShell = false;

        // Each step the first remaining target in the order sleighs, reindeer, elves, presents.
        List<Target> order = Arrays.asList(sleigh, deer, elf, presentFirst);
        for (Target expected : order) {
            Shell s = shellAt(200, 100);
            assertTrue(s.doCollision(s));
            assertEquals(Arrays.asList(s), expected.hits);
            expected.collidesWithShell = false;
        }
        Shell last = shellAt(200, 100);
        assertFalse(last.doCollision(last));
        for (Target t : order) {
            assertEquals(1, t.hits.size());
        }
        assertTrue(shy.hits.isEmpty());
    }

    @ParameterizedTest(name = "shell at ({0}, {1}): hit {2}")
    @CsvSource({
        // The parachute's box: 32 x 13 around (200, 100), so half extents 16 and 6.
        "200, 100, true",
        "184.01, 100, true",
        "184, 100, false",
        "216, 100, false",
        "215.99, 105.99, true",
        "200, 94, false",
        "200, 106, false",
        "200, 94.01, true",
    })
    void onlyPointsStrictlyInsideTheBoxHit(double x, double y, boolean hit) {
        Target chute = new Target(game, game.parachutes, HollyBlitz.PARACHUTE, 200, 100);
        assertEquals(16, chute.width);
        assertEquals(6, chute.height);
        Shell shell = shellAt(x, y);
        assertEquals(hit, shell.doCollision(shell));
        assertEquals(hit ? 1 : 0, chute.hits.size());
    }

    /** Random draws that the test chooses. */
    private static final class Scripted extends Random {
        private static final long serialVersionUID = 1L;
        private final double[] values;
        private int next;

        Scripted(double... values) {
            this.values = values;
        }

        @Override
        public double nextDouble() {
            return values[next++];
        }
    }

    @ParameterizedTest(name = "draw {0}: blast {1} of {2} frames")
    @CsvSource({"0.0, 42, 10", "0.4999, 42, 10", "0.5, 43, 5", "0.9999, 43, 5"})
    void aBurstingShellStaysPutHitsNothingMoreAndGoesAfterOneBlast(double draw, int blast, int frames) {
        game.r = new Scripted(draw);
        Target deer = new Target(game, game.reindeers, HollyBlitz.REINDEERLR, 200, 100);
        Shell shell = shellAt(200, 100);
        shell.xVel = 6;
        shell.anim = 3;
        game.gameState = HollyBlitz.POSTGAME;
        game.doAllCollision();
        assertEquals(HollyBlitz.SHELLBLASTA, shell.gameType);
        assertEquals(blast, shell.imageRef);
        assertEquals(0, shell.anim);
        assertEquals(0.0, shell.xVel);

        for (int i = 0; i < frames; i++) {
            game.doMain();
            assertEquals(200, shell.xPos);
            assertEquals(1, deer.hits.size());
            shell.drawObject();
            assertTrue(game.shells.contains(shell));
        }
        shell.drawObject();
        assertFalse(game.shells.contains(shell));
    }

    @Test
    void theGunBecomesATreeOnceAndEndsTheGame() {
        AAAGun gun = game.gun;
        gun.heading = 40;
        gun.anim = 22;
        GameObject puff = new GameObject(game);
        puff.xPos = 17;
        puff.yPos = 18;
        puff.xVel = 3;
        puff.yVel = -2;

        gun.turnIntoTree(puff);
        assertEquals(HollyBlitz.XMASTREE, gun.gameType);
        assertEquals(HollyBlitz.XMASTREE, gun.imageRef);
        assertEquals(0, gun.heading);
        assertEquals(0, gun.anim);
        assertEquals(287.0, gun.yPos);
        assertEquals(300.0, gun.xPos);
        assertEquals(Arrays.asList(puff), game.smokeTrails);
        assertEquals(HollyBlitz.CHANGEPUFF, puff.imageRef);
        assertEquals(300.0, puff.xPos);
        assertEquals(325.0, puff.yPos);
        assertEquals(0.0, puff.xVel);
        assertEquals(0.0, puff.yVel);
        assertEquals(HollyBlitz.POSTGAME, game.gameState);

        game.gameState = HollyBlitz.PLAYING;
        gun.turnIntoTree(new GameObject(game));
        assertEquals(287.0, gun.yPos);
        assertEquals(1, game.smokeTrails.size());
        assertEquals(HollyBlitz.PLAYING, game.gameState);
    }

    @Test
    void theGunShowsTheChosenBarrelWhileTheTreeAnimates() {
        AAAGun gun = game.gun;
        gun.anim = 7;
        gun.drawObject();
        gun.drawObject();
        assertEquals(7, gun.anim);
        assertEquals(colour(HollyBlitz.AAAGUN, 7), pixel(game, 300, 325 + HollyBlitz.INSET));

        gun.turnIntoTree(new GameObject(game));
        gun.drawObject();
        gun.drawObject();
        assertEquals(2, gun.anim);
        assertEquals(colour(HollyBlitz.XMASTREE, 1), pixel(game, 300, 287 + HollyBlitz.INSET));
    }

    @Test
    void eachGameStandsANewGunOnItsBase() {
        AAAGun first = game.gun;
        assertEquals(300.0, game.base.xPos);
        assertEquals(383.0, game.base.yPos);
        assertEquals(16, first.anim);
        assertFalse(first.collidesWithShell);
        first.heading = 60;
        first.fireTimer = 2;
        game.restartGame();
        assertNotSame(first, game.gun);
        assertEquals(0, game.gun.heading);
        assertEquals(0, game.gun.fireTimer);
        assertEquals(300.0, game.gun.xPos);

        game.base.discard();
        assertEquals(null, game.base);
    }
}
