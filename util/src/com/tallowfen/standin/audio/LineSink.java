package com.tallowfen.standin.audio;

import javax.sound.sampled.AudioFormat;
import javax.sound.sampled.AudioSystem;
import javax.sound.sampled.LineUnavailableException;
import javax.sound.sampled.SourceDataLine;

/**
 * The system's sound device, reached through javax.sound.sampled, with as
 * little queued ahead as the machine allows. What the device holds is what a
 * sound waits before it is heard, and through a sound server the device's
 * whole buffer stays filled, whatever the line reports as free: the buffer
 * itself is the queue, so it starts small. When the player comes back to the
 * device later than half its buffer lasts, the machine is not keeping up
 * (and some servers stay silent for a while after running dry): the buffer
 * doubles, up to a limit, the device being opened afresh at the new size. After ten seconds without that it halves again, at a moment
 * of silence, where reopening the device is not heard.
 */
final class LineSink implements SampleSink {

    static final float SAMPLE_RATE = 8000f;
    static final AudioFormat FORMAT = new AudioFormat(SAMPLE_RATE, 16, 1, true, false);
    static final int BYTES_PER_MS = 16;
    /** Queued while the machine keeps up: with a game step's wait, a key is heard within 100 ms. */
    static final int LEAST_QUEUED_BYTES = 60 * BYTES_PER_MS;
    /** The most ever queued, enough to ride out the scheduling delays of a machine far busier than it has cores. */
    static final int MAX_QUEUED_BYTES = 120 * BYTES_PER_MS;
    /** Bytes played without the device running dry before the queue may shrink: ten seconds. */
    static final long CALM_BYTES = 10000L * BYTES_PER_MS;
    /**
     * Bytes played after the first opening before a late player counts: two
     * seconds. While the VM and the sound server start up, the player is
     * late now and then however fast the machine; reopening the device then
     * would only add a gap.
     */
    static final long SETTLING_BYTES = 2000L * BYTES_PER_MS;

    /** Where the time comes from; a test sets its own. */
    interface Clock {
        long nanoTime();
    }

    private final Clock clock;
    private SourceDataLine line;
    private byte[] bytes = new byte[0];
    /** What the queue may hold now. */
    private int target = LEAST_QUEUED_BYTES;
    /** Bytes written since the device last ran dry or was last reopened. */
    private long calm;
    /**
     * When the last write returned, in nanoseconds; 0 before the first. The
     * device then held at most its buffer, so a writer that comes back later
     * than the buffer lasts has let it run dry, and one that comes back after
     * half of it was close to. (What the device reports as queued is not
     * enough: a sound server that is starting a stream reports it empty
     * while it fills.)
     */
    private long lastWrite;
    /** Bytes written since the device was first opened. */
    private long played;
    private int underruns;

    LineSink() {
        this(System::nanoTime);
    }

    LineSink(Clock clock) {
        this.clock = clock;
    }

    @Override
    public void open() throws Exception {
        open(AudioSystem.getSourceDataLine(FORMAT));
    }

    void open(SourceDataLine device) throws Exception {
        line = device;
        openAt(target);
    }

    private void openAt(int size) throws LineUnavailableException {
        line.open(FORMAT, size);
        line.start();
        target = size;
        lastWrite = 0;
        calm = 0;
    }

    /** Reopens the device with a buffer of the given size, once what it still holds has been played. */
    private void reopen(int size) throws InterruptedException {
        line.drain();
        line.close();
        try {
            openAt(size);
        } catch (LineUnavailableException e) {
            // It was there a moment ago; give the server a moment and ask once more.
            Thread.sleep(50);
            try {
                openAt(size);
            } catch (LineUnavailableException again) {
                throw new IllegalStateException("the sound device went away: " + again.getMessage(), again);
            }
        }
    }

    @Override
    public void write(short[] samples, int count) throws InterruptedException {
        int length = count * 2;
        if (bytes.length < length) {
            bytes = new byte[length];
        }
        boolean silent = true;
        for (int i = 0; i < count; i++) {
            bytes[2 * i] = (byte) samples[i];
            bytes[2 * i + 1] = (byte) (samples[i] >> 8);
            silent &= samples[i] == 0;
        }
        adapt(length, silent);
        awaitRoom(count);
        line.write(bytes, 0, length);
        lastWrite = clock.nanoTime();
        played += length;
    }

    /** Grows the buffer when the device ran dry or nearly since the last write, shrinks it after a calm while. */
    private void adapt(int length, boolean silent) throws InterruptedException {
        boolean late = played >= SETTLING_BYTES && clock.nanoTime() - lastWrite > target / 2 / BYTES_PER_MS * 1000000L;
        if (late) {
            underruns++;
            if (target < MAX_QUEUED_BYTES) {
                reopen(Math.min(MAX_QUEUED_BYTES, target * 2));
            }
            calm = 0;
            return;
        }
        calm += length;
        if (calm >= CALM_BYTES && silent && target > LEAST_QUEUED_BYTES) {
            reopen(Math.max(LEAST_QUEUED_BYTES, target / 2));
        }
    }

    @Override
    public void awaitRoom(int count) throws InterruptedException {
        int length = count * 2;
        // The device may have granted a larger buffer than asked for; keep latency low anyway.
        int excess;
        while ((excess = queued() + length - Math.max(target, length)) > 0) {
            Thread.sleep(Math.max(1, excess / BYTES_PER_MS));
        }
    }

    private int queued() {
        return line.getBufferSize() - line.available();
    }

    /** What the queue may hold now, in bytes. */
    int target() {
        return target;
    }

    /** How often the device has run dry. */
    int underruns() {
        return underruns;
    }

    @Override
    public void close() {
        if (line != null) {
            line.close();
        }
    }
}
