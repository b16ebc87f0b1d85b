package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.Arrays;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class PresentTest {

    private final ScriptedRandom r = new ScriptedRandom();
    private final SoundLog game = SoundLog.playing(r);
    private final Sleigh santa = new Sleigh(game);

    private Present release(double x, int kind) {
        santa.xPos = x;
        santa.yPos = 40;
        r.below(2, kind);
        return new Present(game, santa);
    }

    private int decorations(int place) {
        return ((Barrack) game.barracks.get(place - 1)).decorated;
    }

    @Test
    void eachPresentPlaysTheNextOfThreeDropSounds() {
        for (int i = 0; i < 5; i++) {
            release(100, i % 2);
        }
        assertEquals(Arrays.asList(HollyBlitz.PRESENTDROP, HollyBlitz.PRESENTDROP2, HollyBlitz.PRESENTDROP3,
            HollyBlitz.PRESENTDROP, HollyBlitz.PRESENTDROP2), game.sounds);
        Present b = (Present) game.presents.get(1);
        assertEquals(HollyBlitz.PRESENTB, b.imageRef);
        assertEquals(HollyBlitz.PRESENTA, b.gameType);
        assertEquals(16, b.width);
        assertEquals(17, b.height);
        assertEquals(3.0, b.yVel);
    }

    @ParameterizedTest(name = "kind {0} explodes as {1}")
    @CsvSource({"0, 30", "1, 31"})
    void aPresentFallsStraightAndExplodesOnTheGroundInIts127thMove(int kind, int explosion) {
        Present present = release(20, kind);
        game.sounds.clear();
        int moves = 0;
        while (present.gameType != HollyBlitz.PRESENTEXPLODINGA) {
            present.doMove();
            moves++;
        }
        assertEquals(127, moves);
        assertEquals(20.0, present.xPos);
        assertEquals(420.0, present.yPos);
        assertEquals(explosion, present.imageRef);
        assertTrue(present.cycleOnce);
        assertEquals(0, present.nextImageRef);
        assertFalse(present.collidesWithShell);
        assertEquals(Arrays.asList(HollyBlitz.PRESENTEXPLODE), game.sounds);
        present.doMove();
        assertEquals(420.0, present.yPos);
        assertEquals(1, game.sounds.size(), "it lands once");
        assertEquals(0, game.score);
    }

    @ParameterizedTest(name = "landing at {0}: barracks {1}")
    @CsvSource({
        "46,    0 0 0 0 0 0",
        "52,    0 0 0 0 0 0",
        "52.5,  1 0 0 0 0 0",
        "92,    1 0 0 0 0 0",
        "116,   0 0 0 0 0 0",
        "124,   0 0 0 0 0 0",
        "124.5, 0 1 0 0 0 0",
        "506,   0 0 0 0 0 1",
    })
    void aLandingPresentDecoratesEveryBarrackStrictlyInReach(double x, String expected) {
        Present present = release(x, 0);
        present.yPos = 419;
        present.doMove();
        String got = "";
        for (int place = 1; place <= 6; place++) {
            got += (place > 1 ? " " : "") + decorations(place);
        }
        assertEquals(expected, got);
        assertEquals(HollyBlitz.PLAYING, game.gameState);
        assertFalse(game.sounds.contains(HollyBlitz.ELFDECORATE), "no sound for a decoration by a present");
    }

    @Test
    void aPresentInReachOfTwoBarracksDecoratesBoth() {
        // The base's own barracks stand too far apart for this; two moved closer show it.
        game.barracks.get(1).xPos = 130;
        Present present = release(107, 0);
        present.yPos = 419;
        present.doMove();
        assertEquals(1, decorations(1));
        assertEquals(1, decorations(2));
        assertEquals(2, game.smokeTrails.size());
    }

    @Test
    void aFullBarrackTakesNoMore() {
        Barrack barrack = (Barrack) game.barracks.get(0);
        for (int i = 0; i < 4; i++) {
            Present present = release(84, 0);
            present.yPos = 419;
            present.doMove();
        }
        assertEquals(3, barrack.decorated);
        assertEquals(HollyBlitz.BARRACKLDECC, barrack.imageRef);
        assertEquals(3, game.smokeTrails.size());
    }

    @ParameterizedTest(name = "landing at {0}: the game ends {1}")
    @CsvSource({"268, false", "268.5, true", "300, true", "331.5, true", "332, false"})
    void aPresentLandingAtTheGunEndsTheGame(double x, boolean ends) {
        Present present = release(x, 0);
        present.yPos = 419;
        present.doMove();
        assertEquals(ends ? HollyBlitz.XMASTREE : HollyBlitz.AAAGUN, game.gun.gameType);
        assertEquals(ends ? HollyBlitz.POSTGAME : HollyBlitz.PLAYING, game.gameState);
        if (ends) {
            game.sounds.clear();
            Present second = release(300, 0);
            second.yPos = 419;
            second.doMove();
            assertEquals(287.0, game.gun.yPos, "the tree stands once, 38 higher");
            assertEquals(Arrays.asList(HollyBlitz.PRESENTDROP2, HollyBlitz.PRESENTEXPLODE), game.sounds);
        }
    }

    @Test
    void theDropPlacesNearTheGunAreTheDangerousOnes() {
        int[] places = {46, 92, 138, 184, 230, 276, 322, 368, 414, 460, 506};
        for (int i = 0; i < places.length; i++) {
            SoundLog fresh = SoundLog.playing(new ScriptedRandom().below(2, 0));
            Sleigh dropper = new Sleigh(fresh);
            dropper.xPos = places[i] + (i < 5 ? 0.5 : -0.5);
            Present present = new Present(fresh, dropper);
            present.yPos = 419;
            present.doMove();
            boolean atGun = fresh.gun.gameType == HollyBlitz.XMASTREE;
            assertEquals(i == 5 || i == 6, atGun, "place " + places[i]);
            int decorated = 0;
            for (GameObject b : fresh.barracks) {
                decorated += ((Barrack) b).decorated;
            }
            assertEquals(i == 0 || atGun ? 0 : 1, decorated, "place " + places[i]);
        }
    }

    @Test
    void aShotPresentBurstsWhereItWasHitForTwoPoints() {
        Present present = release(200, 1);
        present.doMove();
        game.sounds.clear();
        r.below(2, 1);
        Shell shell = new Shell(game, game.gun);
        present.doBlasted(shell, present);
        assertEquals(2, game.score);
        assertEquals(HollyBlitz.PRESENTBLASTED, present.gameType);
        assertEquals(HollyBlitz.PRESENTBLASTED, present.imageRef);
        assertTrue(present.cycleOnce);
        assertFalse(present.collidesWithShell);
        assertEquals(Arrays.asList(HollyBlitz.PRESENTBURST2), game.sounds);
        for (int i = 0; i < 200; i++) {
            present.doMove();
        }
        assertEquals(43.0, present.yPos);
        assertEquals(HollyBlitz.PRESENTBLASTED, present.gameType, "a burst present never lands");
        // The burst plays its ten frames once, then the present is gone.
        for (int i = 0; i < 10; i++) {
            present.drawObject();
        }
        assertTrue(game.presents.contains(present));
        present.drawObject();
        assertFalse(game.presents.contains(present));
    }
}
