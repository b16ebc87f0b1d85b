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
        final int bufferSize;
        final int drainPerQuery;
        final ByteArrayOutputStream written = new ByteArrayOutputStream();
        AudioFormat format;
        int queued;
        int mostQueued;
        boolean started;

        FakeLine(int bufferSize, int drainPerQuery) {
            this.bufferSize = bufferSize;
            this.drainPerQuery = drainPerQuery;
        }

        SourceDataLine proxy() {
            return (SourceDataLine) Proxy.newProxyInstance(getClass().getClassLoader(),
                new Class<?>[] {SourceDataLine.class}, (self, method, args) -> {
                    switch (method.getName()) {
                        case "open":
                            format = (AudioFormat) args[0];
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
}
