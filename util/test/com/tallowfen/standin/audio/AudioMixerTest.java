package com.tallowfen.standin.audio;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

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

    @ParameterizedTest(name = "{0} x mu-law {1} gives {2}")
    @CsvSource({"2, 0x80, 32767", "2, 0x00, -32768", "5, 0x80, 32767", "16, 0x00, -32768", "1, 0x80, 32124"})
    void loudClipsClipInsteadOfWrapping(int streams, String muLaw, short expected) {
        for (int i = 0; i < streams; i++) {
            mixer.add(new AudioDataStream(clip(3, Integer.parseInt(muLaw.substring(2), 16))));
        }
        assertArrayEquals(new short[] {expected, expected, expected}, render(3));
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
