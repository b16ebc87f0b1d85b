package com.tallowfen.standin.audio;

import javax.sound.sampled.AudioFormat;
import javax.sound.sampled.AudioSystem;
import javax.sound.sampled.SourceDataLine;

/** The system's sound device, reached through javax.sound.sampled, with little queued ahead. */
final class LineSink implements SampleSink {

    static final float SAMPLE_RATE = 8000f;
    static final AudioFormat FORMAT = new AudioFormat(SAMPLE_RATE, 16, 1, true, false);
    private static final int BYTES_PER_MS = 16;
    /**
     * At most 120 ms queued in the device: enough to ride out the scheduling
     * delays of a busy machine, each of which would otherwise empty the device
     * and cost, on a sound server that refills before it plays again, whole
     * seconds of silence; a sound still starts within about 130 ms of its request.
     */
    static final int MAX_QUEUED_BYTES = 120 * BYTES_PER_MS;

    private SourceDataLine line;
    private byte[] bytes = new byte[0];

    @Override
    public void open() throws Exception {
        open(AudioSystem.getSourceDataLine(FORMAT));
    }

    void open(SourceDataLine device) throws Exception {
        device.open(FORMAT, MAX_QUEUED_BYTES);
        device.start();
        line = device;
    }

    @Override
    public void write(short[] samples, int count) throws InterruptedException {
        int length = count * 2;
        if (bytes.length < length) {
            bytes = new byte[length];
        }
        for (int i = 0; i < count; i++) {
            bytes[2 * i] = (byte) samples[i];
            bytes[2 * i + 1] = (byte) (samples[i] >> 8);
        }
        awaitRoom(length);
        line.write(bytes, 0, length);
    }

    /** Sleeps until the device's queue can take length more bytes without exceeding the limit. */
    private void awaitRoom(int length) throws InterruptedException {
        // The device may have granted a larger buffer than asked for; keep latency low anyway.
        int excess;
        while ((excess = queued() + length - Math.max(MAX_QUEUED_BYTES, length)) > 0) {
            Thread.sleep(Math.max(1, excess / BYTES_PER_MS));
        }
    }

    private int queued() {
        return line.getBufferSize() - line.available();
    }

    @Override
    public void close() {
        if (line != null) {
            line.close();
        }
    }
}
