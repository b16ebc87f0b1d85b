package com.tallowfen.hollyblitz;

/**
 * The main loop's clock: a logic step every FRAMERATE ms, a repaint request
 * once more than ANIMRATE ms have passed. Times are milliseconds of the
 * monotonic clock, so setting the system time back stalls nothing.
 */
final class LoopPacing {

    private LoopPacing() {
    }

    /** The monotonic clock in milliseconds. */
    static long now() {
        return System.nanoTime() / 1000000L;
    }

    /** Whether more than ANIMRATE ms have passed since the last repaint request. */
    static boolean repaintDue(long lastAnim, long now) {
        return now > lastAnim + HollyBlitz.ANIMRATE;
    }

    /** What is left of a step begun at frameStart; a step that overran gets no rest and is not made up. */
    static long restAfterStep(long frameStart, long now) {
        return now < frameStart + HollyBlitz.FRAMERATE ? HollyBlitz.FRAMERATE - (now - frameStart) : 0;
    }

    /** Sleeps out the rest of a step. */
    static void rest(long millis) {
        try {
            Thread.sleep(millis);
        } catch (InterruptedException e) {
            // The loop ends only through stop(); an interrupt merely cuts this rest short.
        }
    }
}
