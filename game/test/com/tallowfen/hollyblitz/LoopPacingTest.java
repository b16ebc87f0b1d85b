package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;

import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class LoopPacingTest {

    @ParameterizedTest(name = "step from {0} to {1}: rest {2} ms")
    @CsvSource({
        "1000, 1000, 33",
        "1000, 1010, 23",
        "1000, 1032, 1",
        "1000, 1033, 0",
        "1000, 1100, 0",
    })
    void stepsAreSpacedByTheFrameRateWithoutCatchingUp(long start, long now, long rest) {
        assertEquals(rest, LoopPacing.restAfterStep(start, now));
    }

    @ParameterizedTest(name = "last request at {0}, now {1}: due {2}")
    @CsvSource({
        "1000, 1050, false",
        "1000, 1051, true",
        "1000, 1033, false",
        "1000, 1066, true",
    })
    void repaintsAreRequestedOnceMoreThanFiftyMillisecondsHavePassed(long last, long now, boolean due) {
        assertEquals(due, LoopPacing.repaintDue(last, now));
    }
}
