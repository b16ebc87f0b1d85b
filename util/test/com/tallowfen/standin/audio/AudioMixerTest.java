package com.tallowfen.standin.audio;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.io.InputStream;
import java.util.Arrays;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class AudioMixerTest {

    static final byte SILENCE = 0x7f;

    AudioMixer mixer = new AudioMixer();

    static AudioData clip(int length, int muLaw) {
        byte[] b = new byte[length];
        Arrays.fill(b, (byte) muLaw);
        return new AudioData(b);
    }

    short[] render(int count) {
        short[] out = new short[count];
        mixer.render(out, 0, count);
        return out;
    }

    @ParameterizedTest(name = "mu-law {0} is {1}")
    @CsvSource({
        "0xff, 0", "0x7f, 0", "0x80, 32124", "0x00, -32124",
        "0xf0, 120", "0x70, -120", "0xfe, 8", "0xc0, 1884",
    })
    void decodesMuLaw(String muLaw, short linear) {
        assertEquals(linear, MuLaw.toLinear((byte) Integer.parseInt(muLaw.substring(2), 16)));
    }

    @Test
    void overlappingClipsSum() {
        mixer.add(new AudioDataStream(clip(4, 0xf0)));
        mixer.add(new AudioDataStream(clip(2, 0xc0)));
        assertArrayEquals(new short[] {1884 + 120, 1884 + 120, 120, 120, 0, 0}, render(6));
    }

    /**
     * Sums beyond 16 bits are limited, not cut off or wrapped: no sample
     * reaches full scale, each keeps its sign, and the mix stays loud. A
     * held overload settles under the limit without a jump from one sample
     * to the next.
     */
    @ParameterizedTest(name = "{0} x mu-law {1}")
    @CsvSource({"1, 0x80", "2, 0x80", "2, 0x00", "5, 0x80", "16, 0x00"})
    void loudMixesAreLimitedBelowFullScale(int streams, String muLaw) {
        byte code = (byte) Integer.parseInt(muLaw.substring(2), 16);
        for (int i = 0; i < streams; i++) {
            mixer.add(new AudioDataStream(clip(8000, code)));
        }
        int sign = Integer.signum(MuLaw.toLinear(code));
        short[] out = render(8000);
        for (int i = 0; i < out.length; i++) {
            assertTrue(Math.abs(out[i]) <= AudioMixer.LIMIT, "sample " + i + ": " + out[i]);
            assertTrue(sign * out[i] >= AudioMixer.KNEE, "sample " + i + " lost its loudness: " + out[i]);
            if (i > 0) {
                assertTrue(Math.abs(out[i] - out[i - 1]) < 1000, "a jump at sample " + i);
            }
        }
    }

    @Test
    void kneeBendsSmoothlyAndKeepsOrder() {
        assertEquals(AudioMixer.KNEE, AudioMixer.knee(AudioMixer.KNEE));
        assertEquals(-1234, AudioMixer.knee(-1234));
        short last = AudioMixer.knee(0);
        for (int v = 1; v <= 1 << 20; v += 7) {
            short bent = AudioMixer.knee(v);
            assertTrue(bent >= last && bent - last <= 7, "at " + v);
            assertTrue(bent < Short.MAX_VALUE && AudioMixer.knee(-v) > Short.MIN_VALUE, "at " + v);
            last = bent;
        }
    }

    /** After a loud moment the gain comes back, so a quiet sound that follows is heard at its own level. */
    @Test
    void gainRecoversAfterALoudMoment() {
        for (int i = 0; i < 8; i++) {
            mixer.add(new AudioDataStream(clip(800, 0x80)));
        }
        render(800);
        mixer.add(new AudioDataStream(clip(16000, 0xc0)));
        short[] out = render(16000);
        assertTrue(out[0] < 1884, "the gain is down at first: " + out[0]);
        assertEquals(1884, out[15999], "and back to 1 within two seconds");
    }

    @Test
    void oneTimeStreamEndsAndLeavesTheSet() {
        mixer.add(new AudioDataStream(clip(100, 0xf0)));
        short[] first = render(80);
        assertEquals(120, first[79]);
        short[] second = render(80);
        assertEquals(120, second[19]);
        assertEquals(0, second[20]);
        assertEquals(0, mixer.streamCount());
    }

    @Test
    void streamOfExactlyOneChunkLeavesOnTheNextRender() {
        mixer.add(new AudioDataStream(clip(80, 0xf0)));
        render(80);
        assertArrayEquals(new short[80], render(80));
        assertEquals(0, mixer.streamCount());
    }

    @Test
    void endlessStreamKeepsGoingAcrossChunks() {
        byte[] ramp = {(byte) 0xff, (byte) 0xfe, (byte) 0xf0};
        mixer.add(new ContinuousAudioDataStream(new AudioData(ramp)));
        for (int chunk = 0; chunk < 1000; chunk++) {
            short[] out = render(80);
            for (int i = 0; i < out.length; i++) {
                int sample = chunk * 80 + i;
                assertEquals(new short[] {0, 8, 120}[sample % 3], out[i], "sample " + sample);
            }
        }
        assertEquals(1, mixer.streamCount());
    }

    @Test
    void silentStreamAddsNothing() {
        mixer.add(new ContinuousAudioDataStream(clip(100, SILENCE)));
        mixer.add(new AudioDataStream(clip(3, 0x70)));
        assertArrayEquals(new short[] {-120, -120, -120, 0}, render(4));
        assertEquals(1, mixer.streamCount());
    }

    @Test
    void failingStreamLeavesWithoutDisturbingOthers() {
        mixer.add(new InputStream() {
            @Override
            public int read() throws IOException {
                throw new IOException("gone");
            }
        });
        mixer.add(new AudioDataStream(clip(2, 0xf0)));
        assertArrayEquals(new short[] {120, 120, 0}, render(3));
        assertEquals(0, mixer.streamCount());
    }

    @Test
    void rendersAtAnOffset() {
        mixer.add(new AudioDataStream(clip(2, 0xf0)));
        short[] out = {5, 5, 5, 5};
        mixer.render(out, 1, 2);
        assertArrayEquals(new short[] {5, 120, 120, 5}, out);
    }
}
