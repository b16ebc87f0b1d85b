package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class SleighManagerTest {

    private final ScriptedRandom r = new ScriptedRandom();
    private final SoundLog game = SoundLog.playing(r);
    private final SleighManager manager = game.sleighManager;

    /** Draws of an ordinary launch after the Santa roll: size 2, speed 3.0, facing 0, no drops. */
    private void ordinaryConvoy(int layer) {
        r.below(3, 0).then(0.0).below(2, 0).repeat(11, 0.99);
        if (layer == 0) {
            r.below(100, 99);
        }
    }

    @Test
    void theFirstConvoyStartsInThe101stStepOfPlay() {
        for (int step = 1; step <= 100; step++) {
            manager.randomSleigh();
        }
        assertEquals(0, r.draws);
        assertTrue(game.sleighs.isEmpty());
        r.below(100, 99);
        ordinaryConvoy(0);
        r.below(25000, 0);
        manager.randomSleigh();
        assertEquals(0, r.left());
        assertEquals(17, r.draws, "Santa roll, size, speed, facing, 11 drop draws, banner, delay");
        assertEquals(1, game.sleighs.size());
        assertTrue(manager.skyLayer[0]);
    }

    @ParameterizedTest(name = "score {0}, draw {1}: next attempt after {2} steps")
    @CsvSource({
        "0,     0,     166",
        "0,     24999, 250",
        "100,   0,     100",
        "100,   24999, 199",
        "300,   0,     55",
        "300,   24999, 111",
        "600,   0,     33",
        "600,   24999, 66",
        "1000,  24999, 43",
        "3000,  0,     7",
        "24850, 0,     1",
        "24850, 24999, 1",
    })
    void theIntervalAfterALaunchShrinksWithTheScore(int score, int draw, int interval) {
        manager.skyLayer[0] = true;
        manager.delay = 0;
        game.score = score;
        ordinaryConvoy(1);
        r.below(25000, draw);
        manager.randomSleigh();
        assertEquals(1, game.sleighs.size());
        // Counts the steps until one begins ready to attempt; 0 and 1 both mean the very next step.
        int steps = 1;
        while (manager.delay >= 1) {
            manager.randomSleigh();
            steps++;
        }
        assertEquals(interval, steps);
        assertEquals(1, game.sleighs.size(), "no launch while waiting");
    }

    @ParameterizedTest(name = "score {0}, roll {1}: Santa {2}")
    @CsvSource({
        "0,      0,  false",
        "19,     0,  false",
        "20,     0,  true",
        "20,     1,  false",
        "599,    28, true",
        "599,    29, false",
        "600,    29, true",
        "600,    30, false",
        "100000, 29, true",
        "100000, 30, false",
    })
    void santaComesByAChanceThatGrowsWithTheScore(int score, int roll, boolean santa) {
        game.score = score;
        manager.delay = 0;
        r.below(100, roll);
        if (santa) {
            r.below(2, 1);
        } else {
            ordinaryConvoy(0);
        }
        r.below(25000, 0);
        manager.randomSleigh();
        assertEquals(0, r.left());
        assertEquals(1, game.sleighs.size());
        assertEquals(santa, game.sleighs.get(0) instanceof Santa);
        assertTrue(manager.skyLayer[0]);
    }

    @Test
    void santaNeverTakesALowerLayer() {
        game.score = 100000;
        manager.skyLayer[0] = true;
        manager.skyLayer[1] = true;
        manager.delay = 0;
        // No Santa roll and no banner draw below the highest layer.
        ordinaryConvoy(2);
        r.below(25000, 0);
        manager.randomSleigh();
        assertEquals(0, r.left());
        Sleigh sleigh = (Sleigh) game.sleighs.get(0);
        assertFalse(sleigh instanceof Santa);
        assertEquals(2, sleigh.layer);
        assertTrue(manager.skyLayer[2]);
    }

    @Test
    void withEveryLayerTakenNothingIsDrawnUntilOneFrees() {
        game.score = 0;
        manager.delay = 0;
        java.util.Arrays.fill(manager.skyLayer, true);
        for (int step = 0; step < 50; step++) {
            manager.randomSleigh();
        }
        assertEquals(0, r.draws);
        assertEquals(-50, manager.delay);
        manager.skyLayer[3] = true;
        manager.skyLayer[2] = false;
        ordinaryConvoy(2);
        r.below(25000, 0);
        manager.randomSleigh();
        assertEquals(1, game.sleighs.size(), "launched at once, whatever the score");
        assertEquals(2, ((Sleigh) game.sleighs.get(0)).layer);
    }

    @Test
    void aLeavingSleighFreesItsLayerForTheNextLaunch() {
        manager.delay = 0;
        r.below(100, 99);
        ordinaryConvoy(0);
        r.below(25000, 0);
        manager.randomSleigh();
        Sleigh sleigh = (Sleigh) game.sleighs.get(0);
        sleigh.discard();
        sleigh.discard();
        assertFalse(manager.skyLayer[0]);
        assertTrue(game.sleighs.isEmpty());
    }

    @ParameterizedTest(name = "score {0}, u {1}: speed {2}")
    @CsvSource({
        "0,    0.0,    3.0",
        "0,    0.5,    4.05",
        "0,    0.9999, 5.09979",
        "128,  0.9999, 5.99571",
        "129,  0.9999, 6.0",
        "3000, 0.0,    3.0",
        "3000, 0.5,    6.0",
    })
    void ordinarySleighsFlyBetweenThreeAndSix(int score, double u, double speed) {
        game.score = score;
        r.then(u);
        assertEquals(speed, manager.sleighSpeed(), 1e-4);
    }

    @Test
    void sizeAndFacingAreSmallRandomIntegers() {
        r.then(0.0, 0.3334, 0.9999, 0.4999, 0.5);
        assertEquals(2, manager.sleighSize());
        assertEquals(3, manager.sleighSize());
        assertEquals(4, manager.sleighSize());
        assertEquals(0, manager.sleighFacing());
        assertEquals(1, manager.sleighFacing());
    }

    @Test
    void santasConvoyTakesOnlyTheRollAndItsFacing() {
        game.score = 600;
        manager.delay = 0;
        r.below(100, 0).below(2, 1).below(25000, 0);
        manager.randomSleigh();
        assertEquals(0, r.left());
        Santa santa = assertInstanceOf(Santa.class, game.sleighs.get(0));
        assertEquals(8, santa.length);
        assertEquals(-3.5, santa.xVel);
        assertEquals(0, santa.layer);
        assertEquals(Integer.valueOf(HollyBlitz.SANTAAPPEARS), game.sounds.get(0));
    }
}
