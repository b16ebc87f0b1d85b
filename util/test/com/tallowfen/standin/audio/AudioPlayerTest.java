package com.tallowfen.standin.audio;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.io.PrintStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.function.BooleanSupplier;
import org.junit.jupiter.api.Test;

class AudioPlayerTest {

    ByteArrayOutputStream printed = new ByteArrayOutputStream();
    PrintStream log = new PrintStream(printed, true);

    /** Stands in for the device: keeps what it is given; its opening may fail like a missing device. */
    static class RecordingSink implements SampleSink {
        final List<Short> samples = new ArrayList<>();
        final Exception openFailure;
        volatile boolean closed;

        RecordingSink(Exception openFailure) {
            this.openFailure = openFailure;
        }

        @Override
        public void open() throws Exception {
            if (openFailure != null) {
                throw openFailure;
            }
        }

        @Override
        public synchronized void write(short[] chunk, int count) {
            for (int i = 0; i < count; i++) {
                samples.add(chunk[i]);
            }
        }

        synchronized List<Short> written() {
            return new ArrayList<>(samples);
        }

        @Override
        public void close() {
            closed = true;
        }
    }

    /** Waits for something the player's own thread does; the test runner's time-out guards a hang. */
    static void awaitTrue(BooleanSupplier condition) throws InterruptedException {
        while (!condition.getAsBoolean()) {
            Thread.sleep(5);
        }
    }

    static AudioDataStream clip(int length, int muLaw) {
        byte[] b = new byte[length];
        Arrays.fill(b, (byte) muLaw);
        return new AudioDataStream(new AudioData(b));
    }

    @Test
    void withoutDeviceStaysSilentSaysSoOnceAndDropsStreams() throws InterruptedException {
        RecordingSink sink = new RecordingSink(new javax.sound.sampled.LineUnavailableException("no device"));
        AudioPlayer player = new AudioPlayer(sink, log);
        player.start(clip(10, 0xf0));
        awaitTrue(player::isSilent);
        for (int i = 0; i < 5; i++) {
            player.start(new ContinuousAudioDataStream(new AudioData(new byte[] {1})));
        }
        player.thread().join();
        assertEquals(0, player.mixer().streamCount());
        assertTrue(sink.closed);
        String text = printed.toString();
        assertEquals(1, text.split("\n").length, text);
        assertTrue(text.startsWith("No sound: "), text);
    }

    @Test
    void missingSoundLibraryCountsAsNoDevice() throws InterruptedException {
        AudioPlayer player = new AudioPlayer(new RecordingSink(null) {
            @Override
            public void open() {
                throw new UnsatisfiedLinkError("no sound library");
            }
        }, log);
        player.start(clip(10, 0xf0));
        awaitTrue(player::isSilent);
        player.thread().join();
        assertEquals(0, player.mixer().streamCount());
    }

    @Test
    void playsStreamsOnDaemonThreadThatRestsWhenIdle() throws InterruptedException {
        RecordingSink sink = new RecordingSink(null);
        AudioPlayer player = new AudioPlayer(sink, log);
        player.start(clip(100, 0xf0));
        Thread thread = player.thread();
        assertTrue(thread.isDaemon(), "must not keep the program alive");

        awaitTrue(() -> player.mixer().streamCount() == 0 && thread.getState() == Thread.State.WAITING);
        List<Short> played = sink.written();
        assertEquals(2 * AudioPlayer.CHUNK, played.size());
        assertEquals(Short.valueOf((short) 120), played.get(99));
        assertEquals(Short.valueOf((short) 0), played.get(100));

        player.start(clip(10, 0xc0));
        awaitTrue(() -> sink.written().size() > 2 * AudioPlayer.CHUNK);
        assertEquals(Short.valueOf((short) 1884), sink.written().get(2 * AudioPlayer.CHUNK));
        assertFalse(player.isSilent());
        assertEquals("", printed.toString());
    }
}
