package com.tallowfen.standin.audio;

/** Where the player's mix goes: 16-bit linear samples, 8,000 a second, one channel. */
interface SampleSink {

    /** Gets the device ready; throws when there is none to be had. */
    void open() throws Exception;

    /** Plays count samples, blocking as long as needed to keep pace with the device. */
    void write(short[] samples, int count) throws InterruptedException;

    void close();
}
