package com.tallowfen.util;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.standin.audio.AudioMixer;
import com.tallowfen.standin.audio.AudioPlayer;
import java.io.ByteArrayInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class ApplicationAudioClipTest {

    /** Mu-law bytes and their linear values (the loud one below where the player's limiter bends). */
    static final byte LOUD = (byte) 0xc0;
    static final short LOUD_LINEAR = 1884;
    static final byte QUIET = (byte) 0xf0;
    static final short QUIET_LINEAR = 120;

    @TempDir
    Path dir;

    AudioMixer mixer = new AudioMixer();
    AudioPlayer shared;

    @BeforeEach
    void useOwnPlayer() {
        shared = ApplicationAudioClip.player;
        ApplicationAudioClip.player = AudioPlayer.offline(mixer);
    }

    @AfterEach
    void restorePlayer() {
        ApplicationAudioClip.player = shared;
    }

    static byte[] bytes(int length, byte value) {
        byte[] b = new byte[length];
        Arrays.fill(b, value);
        return b;
    }

    String file(String name, byte[] content) throws IOException {
        Path path = dir.resolve(name);
        Files.write(path, content);
        return path.toString();
    }

    short[] render(int count) {
        short[] out = new short[count];
        mixer.render(out, 0, count);
        return out;
    }

    /** A stream that hands out every byte asked for and records how large the reader's buffer was. */
    static class RecordingStream extends ByteArrayInputStream {
        final List<Integer> capacities = new ArrayList<>();
        boolean closed;

        RecordingStream(int length) {
            super(new byte[length]);
        }

        @Override
        public synchronized int read(byte[] b, int off, int len) {
            if (!capacities.contains(off + len)) {
                capacities.add(off + len);
            }
            return super.read(b, off, len);
        }

        @Override
        public void close() {
            closed = true;
        }
    }

    @ParameterizedTest(name = "{0} bytes")
    @CsvSource({
        "0,     32768",
        "1,     32768",
        "32767, 32768",
        "32768, 32768 40960",
        "37366, 32768 40960",
        "40960, 32768 40960 49152",
    })
    void growsBufferInStepsAndCutsItToTheBytesRead(int length, String capacities) {
        ApplicationAudioClip clip = new ApplicationAudioClip((String) null);
        RecordingStream in = new RecordingStream(length);
        clip.readAudioData(in);
        assertTrue(clip.isValid());
        assertEquals(length, clip.soundBuffer.length);
        assertEquals(capacities, joined(in.capacities));
        assertTrue(in.closed);
    }

    static String joined(List<Integer> values) {
        StringBuilder s = new StringBuilder();
        for (int v : values) {
            s.append(s.length() == 0 ? "" : " ").append(v);
        }
        return s.toString();
    }

    @ParameterizedTest(name = "{0} bytes")
    @CsvSource({"0", "32768", "37366"})
    void readsWholeFileAsIs(int length) throws IOException {
        byte[] content = new byte[length];
        for (int i = 0; i < length; i++) {
            content[i] = (byte) (i * 7 + i / 256);
        }
        ApplicationAudioClip clip = new ApplicationAudioClip(file("clip.au", content));
        assertTrue(clip.isValid());
        assertArrayEquals(content, clip.soundBuffer);
    }

    @Test
    void onlyLargeDiscardedBuffersAreReclaimedAtOnce() throws IOException {
        Runnable shared = ApplicationAudioClip.collector;
        int[] requests = {0};
        ApplicationAudioClip.collector = () -> requests[0]++;
        try {
            for (int length : new int[] {100, 48028, 120000}) {
                new ApplicationAudioClip(file("small.au", bytes(length, QUIET)));
            }
            assertEquals(0, requests[0], "the game's clips cost no collection");
            byte[] big = bytes(400000, QUIET);
            assertArrayEquals(big, new ApplicationAudioClip(file("big.au", big)).soundBuffer);
            assertEquals(1, requests[0], "a clip read through megabytes of buffers");
        } finally {
            ApplicationAudioClip.collector = shared;
        }
    }

    @Test
    void readsFromAnAddress() throws IOException {
        byte[] content = bytes(5000, QUIET);
        URL address = dir.resolve("clip.au").toUri().toURL();
        file("clip.au", content);
        assertArrayEquals(content, new ApplicationAudioClip(address).soundBuffer);
    }

    @Test
    void unreadableSourcesGiveInvalidClipsThatPlayNothing() throws IOException {
        List<ApplicationAudioClip> invalid = Arrays.asList(
            new ApplicationAudioClip((String) null),
            new ApplicationAudioClip((URL) null),
            new ApplicationAudioClip(dir.resolve("absent.au").toString()),
            new ApplicationAudioClip(dir.resolve("absent.au").toUri().toURL()),
            new ApplicationAudioClip(dir.toString()));
        for (ApplicationAudioClip clip : invalid) {
            assertFalse(clip.isValid());
            assertNull(clip.soundBuffer);
            assertNull(clip.audioData);
            clip.play();
            clip.loop();
        }
        assertEquals(0, mixer.streamCount());
    }

    @Test
    void readErrorOrCloseErrorLeavesClipInvalid() {
        InputStream failsReading = new InputStream() {
            int left = 40000;

            @Override
            public int read() throws IOException {
                if (left-- <= 0) {
                    throw new IOException("disk gone");
                }
                return 1;
            }
        };
        InputStream failsClosing = new ByteArrayInputStream(new byte[10]) {
            @Override
            public void close() throws IOException {
                throw new IOException("cannot close");
            }
        };
        for (InputStream in : Arrays.asList(failsReading, failsClosing)) {
            ApplicationAudioClip clip = new ApplicationAudioClip(bytesFile());
            clip.readAudioData(in);
            assertFalse(clip.isValid());
            assertNull(clip.soundBuffer);
            assertNull(clip.audioData);
        }
    }

    String bytesFile() {
        try {
            return file("ok.au", bytes(10, QUIET));
        } catch (IOException e) {
            throw new AssertionError(e);
        }
    }

    @Test
    void playTwiceOverlapsFromTheStart() throws IOException {
        ApplicationAudioClip clip = new ApplicationAudioClip(file("clip.au", bytes(200, QUIET)));
        clip.play();
        render(50);
        clip.play();
        assertEquals(2, mixer.streamCount());
        short[] out = render(200);
        assertEquals(2 * QUIET_LINEAR, out[0]);
        assertEquals(2 * QUIET_LINEAR, out[149]);
        assertEquals(QUIET_LINEAR, out[150]);
        assertEquals(1, mixer.streamCount());
    }

    @Test
    void sunHeaderIsNotPlayed() throws IOException {
        byte[] content = bytes(28 + 10, LOUD);
        byte[] header = {'.', 's', 'n', 'd', 0, 0, 0, 28, 0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0x1f, 0x40, 0, 0, 0, 1, 0, 0, 0, 0};
        System.arraycopy(header, 0, content, 0, header.length);
        ApplicationAudioClip clip = new ApplicationAudioClip(file("clip.au", content));
        assertArrayEquals(content, clip.soundBuffer, "the clip keeps the whole file");
        clip.play();
        short[] out = render(12);
        for (int i = 0; i < 10; i++) {
            assertEquals(LOUD_LINEAR, out[i]);
        }
        assertEquals(0, out[10]);
    }

    @Test
    void emptyClipEndsAtOnce() throws IOException {
        ApplicationAudioClip clip = new ApplicationAudioClip(file("empty.au", new byte[0]));
        assertTrue(clip.isValid());
        clip.play();
        clip.loop();
        assertArrayEquals(new short[10], render(10));
        assertEquals(0, mixer.streamCount());
    }

    @Test
    void loopRepeatsWithoutEnd() throws IOException {
        ApplicationAudioClip clip = new ApplicationAudioClip(file("clip.au", bytes(3, QUIET)));
        clip.loop();
        short[] out = render(30000);
        assertEquals(QUIET_LINEAR, out[29999]);
        assertEquals(1, mixer.streamCount());
    }

    @Test
    void eachLoopSilenceStartsOneMoreSilentStream() {
        ApplicationAudioClip.loopSilence();
        ApplicationAudioClip.loopSilence();
        assertArrayEquals(new short[1000], render(1000));
        assertEquals(2, mixer.streamCount());
    }

    @Test
    void sharedPlayerTakesClipsWithOrWithoutSoundDevice() throws IOException {
        ApplicationAudioClip.player = shared;
        ApplicationAudioClip clip = new ApplicationAudioClip(file("clip.au", bytes(800, QUIET)));
        clip.play();
        clip.play();
        ApplicationAudioClip.loopSilence();
    }
}
