package com.tallowfen.standin.audio;

/** Where the player's mix goes: 16-bit linear samples, 8,000 a second, one channel. */
interface SampleSink {

    /** Gets the device ready; throws when there is none to be had. */
    void open() throws Exception;

    /**
     * Blocks until count samples can be written without waiting, so that
     * they are mixed as late as possible: a sound started meanwhile is heard
     * in them. A sink that never waits returns at once.
     */
    default void awaitRoom(int count) throws InterruptedException {
    }

    /** Plays count samples, blocking as long as needed to keep pace with the device. */
    void write(short[] samples, int count) throws InterruptedException;

    void close();
}
