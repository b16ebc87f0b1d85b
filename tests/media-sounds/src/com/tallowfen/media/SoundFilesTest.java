package com.tallowfen.media;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.hollyblitz.AssetTables;
import java.io.File;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.TreeSet;
import java.util.stream.Stream;

import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * The game's sounds as shipped in XmasSounds/ (folder from QUILLPOD_SOUNDS_DIR): each one present,
 * playable by the game's 8-bit mu-law player, of a fitting length, and as loud as the rest.
 */
class SoundFilesTest {
    private static final int HEADER = 28;
    private static final int RATE = 8000;
    /** A short effect may last no longer than this, or it drags behind its event. */
    private static final double EFFECT_MAX = 1.5;

    /** Sounds that are more than a short effect: shortest and longest length in seconds, loops seamlessly. */
    private static final Map<String, Object[]> LONGER = new HashMap<>();

    static {
        LONGER.put("MerryChristmas", new Object[] {0.8, 3.0, false});
        LONGER.put("SantaAppears", new Object[] {0.8, 3.0, false});
        LONGER.put("BellLoop", new Object[] {2.0, 10.0, true});
    }

    /** Every sound the game loads, by the game's own table: stem, shortest and longest length, loops seamlessly. */
    static Stream<Arguments> sounds() {
        List<Arguments> table = new ArrayList<>();
        for (int id = 1; id <= AssetTables.soundCount(); id++) {
            String stem = AssetTables.soundStem(id);
            Object[] limits = LONGER.getOrDefault(stem, new Object[] {0.1, EFFECT_MAX, false});
            table.add(Arguments.of(stem, limits[0], limits[1], limits[2]));
        }
        return table.stream();
    }

    private static File folder() {
        String dir = System.getenv("QUILLPOD_SOUNDS_DIR");
        assertTrue(dir != null && !dir.isEmpty(), "QUILLPOD_SOUNDS_DIR is not set");
        return new File(dir);
    }

    /** A sound file as the player sees it: header fields and decoded samples. */
    private static final class Au {
        final long length;
        final ByteBuffer header;
        final double[] samples;

        Au(File file) throws IOException {
            assertTrue(file.isFile(), "missing " + file);
            byte[] bytes = Files.readAllBytes(file.toPath());
            length = bytes.length;
            assertTrue(bytes.length >= HEADER, file + " is shorter than its header");
            header = ByteBuffer.wrap(bytes, 0, HEADER);
            samples = new double[bytes.length - HEADER];
            for (int i = 0; i < samples.length; i++) {
                samples[i] = decode(bytes[HEADER + i]) / 32768.0;
            }
        }

        int field(int index) {
            return header.getInt(4 * index);
        }
    }

    /** G.711 mu-law to linear, as the player turns each byte into a sample. */
    private static int decode(byte code) {
        int u = ~code & 0xFF;
        int magnitude = ((((u & 0x0F) << 3) + 0x84) << ((u >> 4) & 0x07)) - 0x84;
        return (u & 0x80) != 0 ? -magnitude : magnitude;
    }

    private static double decibels(double v) {
        return 20 * Math.log10(v);
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("sounds")
    void headerIsEightBitMuLawMono8000(String stem, double shortest, double longest, boolean loops) throws IOException {
        Au au = new Au(new File(folder(), stem + ".au"));
        assertEquals(0x2e736e64, au.field(0), "magic \".snd\"");
        assertEquals(HEADER, au.field(1), "data offset");
        assertEquals(au.length - HEADER, au.field(2) & 0xFFFFFFFFL, "data size against the file's length");
        assertEquals(1, au.field(3), "encoding (8-bit mu-law)");
        assertEquals(RATE, au.field(4), "sample rate");
        assertEquals(1, au.field(5), "channels");
        double seconds = (double) au.samples.length / RATE;
        assertTrue(seconds >= shortest && seconds <= longest,
                String.format(Locale.ROOT, "%s lasts %.3f s, outside %.1f..%.1f s", stem, seconds, shortest, longest));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("sounds")
    void levelIsEvenAndNothingClips(String stem, double shortest, double longest, boolean loops) throws IOException {
        Au au = new Au(new File(folder(), stem + ".au"));
        double peak = 0;
        for (double s : au.samples) {
            peak = Math.max(peak, Math.abs(s));
        }
        // The top mu-law step holds everything from just below full scale upwards: a sample there has clipped.
        assertTrue(peak < 0.97, String.format(Locale.ROOT, "%s clips (peak %.1f dB)", stem, decibels(peak)));
        assertTrue(peak > 0.25, String.format(Locale.ROOT, "%s is too quiet (peak %.1f dB)", stem, decibels(peak)));
        double rms = loudestRms(au.samples);
        assertTrue(rms > 0.1 && rms < 0.45,
                String.format(Locale.ROOT, "%s: loudest 50 ms at %.1f dB, out of step with the set", stem, decibels(rms)));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("sounds")
    void playsWithoutClicks(String stem, double shortest, double longest, boolean loops) throws IOException {
        double[] x = new Au(new File(folder(), stem + ".au")).samples;
        if (loops) {
            double seam = Math.abs(x[0] - x[x.length - 1]);
            assertTrue(seam <= stepPercentile(x, 0.999),
                    String.format(Locale.ROOT, "%s jumps by %.3f where it repeats", stem, seam));
        } else {
            for (int i = 0; i < 4; i++) {
                assertTrue(Math.abs(x[i]) < 0.02 && Math.abs(x[x.length - 1 - i]) < 0.02,
                        stem + " starts or ends away from silence, which clicks");
            }
        }
    }

    @Test
    void folderHoldsNoStraySounds() {
        TreeSet<String> known = new TreeSet<>();
        sounds().forEach(a -> known.add(a.get()[0] + ".au"));
        String[] names = folder().list();
        assertTrue(names != null, "cannot list " + folder());
        for (String name : names) {
            assertTrue(!name.toLowerCase(Locale.ROOT).endsWith(".au") || known.contains(name),
                    name + " is not one of the game's sounds");
        }
    }

    /** RMS of the loudest 50 ms: how loud a sound seems, whatever its length. */
    private static double loudestRms(double[] x) {
        int window = Math.min(x.length, RATE / 20);
        double sum = 0;
        double best = 0;
        for (int i = 0; i < x.length; i++) {
            sum += x[i] * x[i];
            if (i >= window) {
                sum -= x[i - window] * x[i - window];
            }
            best = Math.max(best, sum);
        }
        return Math.sqrt(best / window);
    }

    /** The step between neighbouring samples that only the given share of steps exceed. */
    private static double stepPercentile(double[] x, double share) {
        double[] steps = new double[x.length - 1];
        for (int i = 1; i < x.length; i++) {
            steps[i - 1] = Math.abs(x[i] - x[i - 1]);
        }
        java.util.Arrays.sort(steps);
        return steps[(int) (share * (steps.length - 1))];
    }
}
