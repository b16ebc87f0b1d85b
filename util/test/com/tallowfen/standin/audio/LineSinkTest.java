package com.tallowfen.standin.audio;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.lang.reflect.Proxy;
import javax.sound.sampled.AudioFormat;
import javax.sound.sampled.SourceDataLine;
import org.junit.jupiter.api.Test;

class LineSinkTest {

    /** A device line that plays nothing: it drains a little each time it is asked for room. */
    static class FakeLine {
        /** The buffer granted; 0 grants what is asked for. */
        final int granted;
        int bufferSize;
        final int drainPerQuery;
        /** The buffer sizes asked for, one for each opening. */
        final java.util.List<Integer> opened = new java.util.ArrayList<Integer>();
        final ByteArrayOutputStream written = new ByteArrayOutputStream();
        AudioFormat format;
        int queued;
        int mostQueued;
        boolean started;

        FakeLine(int bufferSize, int drainPerQuery) {
            this.granted = bufferSize;
            this.bufferSize = bufferSize;
            this.drainPerQuery = drainPerQuery;
        }

        SourceDataLine proxy() {
            return (SourceDataLine) Proxy.newProxyInstance(getClass().getClassLoader(),
                new Class<?>[] {SourceDataLine.class}, (self, method, args) -> {
                    switch (method.getName()) {
                        case "open":
                            format = (AudioFormat) args[0];
                            opened.add((Integer) args[1]);
                            bufferSize = granted != 0 ? granted : (Integer) args[1];
                            queued = 0;
                            return null;
                        case "start":
                            started = true;
                            return null;
                        case "getBufferSize":
                            return bufferSize;
                        case "available":
                            queued = Math.max(0, queued - drainPerQuery);
                            return bufferSize - queued;
                        case "write":
                            int length = (Integer) args[2];
                            written.write((byte[]) args[0], (Integer) args[1], length);
                            queued += length;
                            mostQueued = Math.max(mostQueued, queued);
                            return length;
                        default:
                            return null;
                    }
                });
        }
    }

    @Test
    void writesSignedLittleEndianMonoAt8000() throws Exception {
        FakeLine line = new FakeLine(640, 640);
        LineSink sink = new LineSink();
        sink.open(line.proxy());
        sink.write(new short[] {1, -2, 0x1234, Short.MIN_VALUE, 99}, 4);
        assertTrue(line.started);
        assertEquals(new AudioFormat(8000f, 16, 1, true, false).toString(), line.format.toString());
        assertArrayEquals(new byte[] {1, 0, (byte) 0xfe, (byte) 0xff, 0x34, 0x12, 0, (byte) 0x80},
            line.written.toByteArray());
    }

    @Test
    void keepsLittleQueuedEvenInALargeDeviceBuffer() throws Exception {
        FakeLine line = new FakeLine(64000, 40);
        LineSink sink = new LineSink();
        sink.open(line.proxy());
        short[] chunk = new short[AudioPlayer.CHUNK];
        for (int i = 0; i < 30; i++) {
            sink.write(chunk, chunk.length);
        }
        assertEquals(30 * 2 * AudioPlayer.CHUNK, line.written.size());
        assertTrue(line.mostQueued <= LineSink.MAX_QUEUED_BYTES, "queued " + line.mostQueued);
    }

    /** A clock the test moves by hand. */
    static final class Clock implements LineSink.Clock {
        long now = 1;

        @Override
        public long nanoTime() {
            return now;
        }

        void advanceMillis(long ms) {
            now += ms * 1000000L;
        }
    }

    /**
     * The device starts with a small buffer; a player that comes back late
     * (the machine did not keep up) gets a larger one, up to the limit, and
     * after ten calm seconds the buffer shrinks again, at a silent moment
     * only, where reopening the device is not heard.
     */
    @Test
    void bufferGrowsAfterALateWriteAndShrinksInSilenceAfterACalmWhile() throws Exception {
        FakeLine line = new FakeLine(0, 1000);
        Clock clock = new Clock();
        LineSink sink = new LineSink(clock);
        sink.open(line.proxy());
        short[] quiet = new short[AudioPlayer.CHUNK];
        short[] loud = new short[AudioPlayer.CHUNK];
        java.util.Arrays.fill(loud, (short) 5000);
        sink.write(loud, loud.length);
        assertEquals(java.util.Arrays.asList(LineSink.LEAST_QUEUED_BYTES), line.opened);
        clock.advanceMillis(500);
        sink.write(loud, loud.length);
        assertEquals(1, line.opened.size(), "while the device settles, late is borne");
        for (long i = 0; i < LineSink.SETTLING_BYTES / (2 * AudioPlayer.CHUNK); i++) {
            clock.advanceMillis(10);
            sink.write(loud, loud.length);
        }
        assertEquals(1, line.opened.size(), "on time: the buffer stays");

        clock.advanceMillis(LineSink.LEAST_QUEUED_BYTES / 2 / LineSink.BYTES_PER_MS + 5);
        sink.write(loud, loud.length);
        assertEquals(Math.min(2 * LineSink.LEAST_QUEUED_BYTES, LineSink.MAX_QUEUED_BYTES), sink.target());
        assertEquals(sink.target(), (int) line.opened.get(line.opened.size() - 1));
        for (int i = 0; i < 3; i++) {
            clock.advanceMillis(500);
            sink.write(loud, loud.length);
        }
        assertEquals(LineSink.MAX_QUEUED_BYTES, sink.target(), "never beyond the limit");
        assertEquals(4, sink.underruns());

        long chunks = LineSink.CALM_BYTES / (2 * AudioPlayer.CHUNK);
        for (long i = 0; i < chunks + 5; i++) {
            clock.advanceMillis(10);
            sink.write(loud, loud.length);
        }
        assertEquals(LineSink.MAX_QUEUED_BYTES, sink.target(), "a calm while, but never silent: no reopening");
        clock.advanceMillis(10);
        sink.write(quiet, quiet.length);
        assertEquals(LineSink.MAX_QUEUED_BYTES / 2, sink.target());
        assertEquals(LineSink.MAX_QUEUED_BYTES / 2, (int) line.opened.get(line.opened.size() - 1));
    }
}
