package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class BarrackTest {

    private final SoundLog game = SoundLog.playing(new ScriptedRandom());

    @ParameterizedTest(name = "place {0} at x {1}")
    @CsvSource({"1, 84, 4", "2, 156, 4", "3, 228, 4", "4, 372, 8", "5, 444, 8", "6, 516, 8"})
    void theSixBarracksStandOnTheGroundBesideTheGun(int place, int x, int picture) {
        Barrack barrack = (Barrack) game.barracks.get(place - 1);
        assertEquals(x, barrack.xPos);
        assertEquals(391.0, barrack.yPos);
        assertEquals(picture, barrack.imageRef);
        assertEquals(HollyBlitz.BARRACKL, barrack.gameType);
        assertEquals(39, barrack.width);
        assertEquals(29, barrack.height);
        assertEquals(0, barrack.decorated);
    }

    @Test
    void aNewGameStartsWithItsOwnSixBarracks() {
        ((Barrack) game.barracks.get(0)).decorated = 3;
        game.restartGame();
        assertEquals(6, game.barracks.size());
        assertEquals(0, ((Barrack) game.barracks.get(0)).decorated);
    }

    @Test
    void aPlaceOutsideOneToSixIsRefused() {
        assertThrows(IllegalArgumentException.class, () -> new Barrack(game, 0));
        assertThrows(IllegalArgumentException.class, () -> new Barrack(game, 7));
    }

    @Test
    void eachDecorationShowsTheNextPictureUnderAPuff() {
        Barrack barrack = (Barrack) game.barracks.get(4);
        int[] pictures = {HollyBlitz.BARRACKRDECA, HollyBlitz.BARRACKRDECB, HollyBlitz.BARRACKRDECC};
        for (int i = 0; i < 3; i++) {
            barrack.addDecoration(game.gun);
            assertEquals(i + 1, barrack.decorated);
            assertEquals(pictures[i], barrack.imageRef);
            GameObject puff = game.smokeTrails.get(i);
            assertEquals(HollyBlitz.CHANGEPUFF, puff.imageRef);
            assertEquals(HollyBlitz.SMOKE, puff.gameType);
            assertEquals(444.0, puff.xPos);
            assertEquals(391.0, puff.yPos);
        }
    }
}
