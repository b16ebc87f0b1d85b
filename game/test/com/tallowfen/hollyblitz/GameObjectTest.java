package com.tallowfen.hollyblitz;

import static com.tallowfen.hollyblitz.TestWorld.colour;
import static com.tallowfen.hollyblitz.TestWorld.pixel;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.hollyblitz.TestWorld.Listed;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class GameObjectTest {

    private static final int BLANK = 0x123456;

    private final HollyBlitz game = TestWorld.create();

    private static final double Y_LOW = 1.2 * 472;
    private static final double Y_HIGH = -0.2 * 472;

    /** Lands an object of the given kind on (x, y) in one step and counts its discards. */
    private int discardsAfterMovingTo(int gameType, double x, double y) {
        if (gameType == HollyBlitz.SHELL) {
            // A shell in flight moves by its own rule.
            final int[] discards = new int[1];
            Shell shell = new Shell(game, new AAAGun(game)) {
                @Override
                void discard() {
                    discards[0]++;
                }
            };
            shell.xPos = x - 1.5;
            shell.yPos = y + 2.5;
            shell.xVel = 1.5;
            shell.yVel = -2.5;
            shell.doMove();
            assertEquals(x, shell.xPos, 1e-9);
            return discards[0];
        }
        Listed o = new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(x - 1.5, y + 2.5).moving(1.5, -2.5);
        o.gameType = gameType;
        o.doMove();
        assertEquals(x, o.xPos, 1e-9);
        return o.discards;
    }

    @ParameterizedTest(name = "shell at ({0}, {1}): {2} discards")
    @CsvSource({
        "600, 472, 0",
        "0, 0, 0",
        "600.5, 100, 1",
        "-0.1, 100, 1",
        "300, 472.1, 1",
        "300, -0.1, 1",
        "601, -1, 1",
    })
    void shellsInFlightLeaveAtTheWindowEdges(double x, double y, int discards) {
        assertEquals(discards, discardsAfterMovingTo(HollyBlitz.SHELL, x, y));
    }

    @ParameterizedTest(name = "kind {0} at ({1}, {2}): {3} discards")
    @CsvSource({
        "42, 1200, 300, 0",
        "42, -600, 300, 0",
        "42, 600.5, -0.1, 0",
        "42, 1200.01, 300, 1",
        "42, -600.01, 300, 1",
        "48, 300, 566.41, 1",
        "48, 300, -94.41, 1",
        "33, 1300, 600, 2",
        "33, -700, -100, 2",
    })
    void otherObjectsGetAWideMargin(int gameType, double x, double y, int discards) {
        assertEquals(discards, discardsAfterMovingTo(gameType, x, y));
    }

    @Test
    void verticalLimitsAreThemselvesInside() {
        Listed low = new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(300, Y_LOW);
        Listed high = new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(300, Y_HIGH);
        low.doMove();
        high.doMove();
        assertEquals(0, low.discards + high.discards);
        low.yPos = Math.nextUp(Y_LOW);
        high.yPos = Math.nextDown(Y_HIGH);
        low.doMove();
        high.doMove();
        assertEquals(1, low.discards);
        assertEquals(1, high.discards);
        assertTrue(game.smokeTrails.isEmpty());
    }

    @Test
    void oneShotAnimationShowsEachFrameOnceThenTheObjectGoes() {
        Listed blast = new Listed(game, game.shells, HollyBlitz.SHELLBLASTB).at(100, 100);
        blast.cycleOnce = true;
        for (int k = 0; k < 5; k++) {
            TestWorld.clearBackBuffer(game, BLANK);
            blast.drawObject();
            assertEquals(colour(HollyBlitz.SHELLBLASTB, k), pixel(game, 100, 122), "frame " + k);
        }
        TestWorld.clearBackBuffer(game, BLANK);
        blast.drawObject();
        assertEquals(BLANK, pixel(game, 100, 122));
        assertEquals(1, blast.discards);
        assertFalse(game.shells.contains(blast));
    }

    @Test
    void oneShotAnimationWithAFollowOnLoopsTheFollowOn() {
        Listed chute = new Listed(game, game.parachutes, HollyBlitz.PARACHUTEOPENING).at(50, 50);
        chute.cycleOnce = true;
        chute.nextImageRef = HollyBlitz.PARACHUTE;
        for (int k = 0; k < 4; k++) {
            chute.drawObject();
            assertEquals(colour(HollyBlitz.PARACHUTEOPENING, k), pixel(game, 50, 72));
        }
        for (int i = 0; i < 3; i++) {
            chute.drawObject();
            assertEquals(colour(HollyBlitz.PARACHUTE, 0), pixel(game, 50, 72));
            assertEquals(HollyBlitz.PARACHUTE, chute.imageRef);
            assertFalse(chute.cycleOnce);
            assertEquals(HollyBlitz.NULLOBJECT, chute.nextImageRef);
        }
        assertEquals(0, chute.discards);
    }

    @Test
    void switchingToAShorterAnimationRestartsItAtFrameZero() {
        Listed elf = new Listed(game, game.elves, HollyBlitz.ELFRUNNINGLR).at(200, 300);
        elf.anim = 5;
        elf.drawObject();
        assertEquals(colour(HollyBlitz.ELFRUNNINGLR, 5), pixel(game, 200, 322));

        elf.imageRef = HollyBlitz.ELFPARACHUTING;
        elf.anim = 5;
        elf.drawObject();
        assertEquals(colour(HollyBlitz.ELFPARACHUTING, 0), pixel(game, 200, 322));
        assertEquals(1, elf.anim);
    }

    @Test
    void looseAnimationsLoop() {
        Listed puff = new Listed(game, game.smokeTrails, HollyBlitz.SHELLBLASTB).at(100, 100);
        for (int i = 0; i < 12; i++) {
            puff.drawObject();
            assertEquals(colour(HollyBlitz.SHELLBLASTB, i % 5), pixel(game, 100, 122));
        }
        assertEquals(0, puff.discards);
    }

    @Test
    void framesAreCentredOnTheTruncatedPositionAndDrawnInsetRowsLower() {
        Listed shell = new Listed(game, game.shells, HollyBlitz.SHELL).at(100.9, 50.6);
        TestWorld.clearBackBuffer(game, BLANK);
        shell.drawObject();
        int shellColour = colour(HollyBlitz.SHELL, 0);
        // 6 x 6 frame: columns 97..102, rows 47+22..52+22.
        assertEquals(shellColour, pixel(game, 97, 69));
        assertEquals(shellColour, pixel(game, 102, 74));
        assertEquals(BLANK, pixel(game, 96, 69));
        assertEquals(BLANK, pixel(game, 103, 74));
        assertEquals(BLANK, pixel(game, 97, 68));
        assertEquals(BLANK, pixel(game, 97, 75));

        // Odd-sized frames lose the half pixel on the left and top: 63 x 62 at x 300 starts at 269.
        Listed santa = new Listed(game, game.sleighs, HollyBlitz.SANTARL).at(300, 200);
        TestWorld.clearBackBuffer(game, BLANK);
        santa.drawObject();
        assertEquals(colour(HollyBlitz.SANTARL, 0), pixel(game, 269, 191));
        assertEquals(BLANK, pixel(game, 268, 191));

        shell.xPos = -0.7;
        shell.drawObject();
        assertEquals(0, shell.xIntPos);
    }

    @Test
    void collisionBoxComesFromTheFirstPictureAndItsEdgesAreOutside() {
        Listed elf = new Listed(game, game.elves, HollyBlitz.ELFPARACHUTING).at(100, 200);
        assertEquals(12, elf.width);
        assertEquals(17, elf.height);
        elf.imageRef = HollyBlitz.ELFRUNNINGLR;
        elf.drawObject();
        assertEquals(12, elf.width);

        assertTrue(elf.collisionBoxContains(100, 200));
        assertTrue(elf.collisionBoxContains(88.01, 216.99));
        assertFalse(elf.collisionBoxContains(88, 200));
        assertFalse(elf.collisionBoxContains(112, 200));
        assertFalse(elf.collisionBoxContains(100, 183));
        assertFalse(elf.collisionBoxContains(100, 217));
    }

    @Test
    void blastVectorIsTwiceTheShellsVelocity() {
        GameObject shell = new GameObject(game);
        shell.xVel = 1.5;
        shell.yVel = -4;
        GameObject target = new GameObject(game);
        target.setBlastVector(shell, target);
        assertEquals(3.0, target.xVel);
        assertEquals(-8.0, target.yVel);
    }

    @Test
    void panelsStandWhereTheScreensNeedThem() {
        assertEquals(320, game.background.xPos);
        assertEquals(210, game.background.yPos);
        assertEquals(379, game.midground.yPos);
        assertEquals(300, game.frontSplash.xPos);
        assertEquals(225, game.frontSplash.yPos);
        assertEquals(300, game.endSplash.xPos);
        assertEquals(100, game.endSplash.yPos);
        assertEquals(300, game.scoreSplash.xPos);
        assertEquals(198, game.scoreSplash.yPos);
        assertFalse(game.frontSplash.collidesWithShell);

        TestWorld.clearBackBuffer(game, BLANK);
        game.endSplash.drawObject();
        assertEquals(colour(HollyBlitz.ENDSPLASH, 0), pixel(game, 75, 38));
        assertEquals(BLANK, pixel(game, 74, 38));
        assertEquals(BLANK, pixel(game, 75, 37));
    }
}
