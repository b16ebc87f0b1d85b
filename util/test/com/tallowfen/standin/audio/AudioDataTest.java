package com.tallowfen.standin.audio;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class AudioDataTest {

    /** A Sun audio file: magic, offset and size fields, then filler up to the end. */
    static byte[] sunFile(long offset, long size, int length) throws IOException {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        DataOutputStream out = new DataOutputStream(bytes);
        out.writeBytes(".snd");
        out.writeInt((int) offset);
        out.writeInt((int) size);
        out.writeInt(1);
        out.writeInt(8000);
        out.writeInt(1);
        while (bytes.size() < length) {
            out.writeByte(bytes.size());
        }
        return bytes.toByteArray();
    }

    static byte[] delivered(AudioData data) {
        AudioDataStream in = new AudioDataStream(data);
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        int b;
        while ((b = in.read()) >= 0) {
            out.write(b);
        }
        return out.toByteArray();
    }

    @ParameterizedTest(name = "offset {0}, size {1}, file {2}: samples {3} to {4}")
    @CsvSource({
        "28,   10,         100, 28, 38",
        "28,   4294967295, 100, 28, 100",
        "40,   4294967295, 100, 40, 100",
        "28,   1000,       100, 28, 100",
        "1000, 10,         100, 28, 100",
        "8,    10,         100, 28, 100",
        "24,   0,          100, 24, 24",
        "100,  0,          100, 100, 100",
        "28,   10,         24,  24, 24",
    })
    void playsOnlyTheSamplesOfSunAudioFile(long offset, long size, int length, int from, int to) throws IOException {
        byte[] file = sunFile(offset, size, length);
        AudioData data = new AudioData(file);
        assertEquals(to - from, data.getSampleCount());
        assertArrayEquals(java.util.Arrays.copyOfRange(file, from, to), delivered(data));
    }

    @ParameterizedTest(name = "[{index}] {0}")
    @CsvSource({"plain samples", ".sn", "''"})
    void playsOtherBytesWhole(String text) {
        byte[] raw = text.getBytes(java.nio.charset.StandardCharsets.US_ASCII);
        assertArrayEquals(raw, delivered(new AudioData(raw)));
    }
}
