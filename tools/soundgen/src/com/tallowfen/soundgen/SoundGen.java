package com.tallowfen.soundgen;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Locale;

/**
 * Writes every game sound as a Sun audio file into the given folder and prints a table of
 * durations and levels. The same inputs give the same bytes on every run.
 *
 * Usage: SoundGen OUTDIR [ESPEAK_NG]
 */
public final class SoundGen {
    private SoundGen() {
    }

    public static void main(String[] args) {
        if (args.length < 1 || args.length > 2) {
            System.err.println("usage: SoundGen OUTDIR [ESPEAK_NG]");
            System.exit(2);
        }
        try {
            run(Paths.get(args[0]), new Speech(args.length > 1 ? args[1] : "espeak-ng"));
        } catch (IOException | RuntimeException e) {
            System.err.println("soundgen: " + e.getMessage());
            System.exit(1);
        }
    }

    private static void run(Path dir, Speech speech) throws IOException {
        Files.createDirectories(dir);
        System.out.println(String.format(Locale.ROOT, "%-18s %8s %9s %9s %7s", "sound", "seconds", "peak dB", "rms dB", "gain"));
        long total = 0;
        for (SoundBook.Entry entry : SoundBook.all()) {
            double[] signal = entry.recipe.make(speech);
            Master.Result result = entry.loop ? Master.loop(signal) : Master.oneShot(signal);
            byte[] mulaw = Master.encode(result.samples);
            AuFile.write(dir.resolve(entry.stem + ".au"), mulaw);
            total += AuFile.HEADER_SIZE + mulaw.length;
            System.out.println(String.format(Locale.ROOT, "%-18s %8.3f %9.1f %9.1f %7.2f", entry.stem,
                    (double) mulaw.length / AuFile.SAMPLE_RATE, decibels(Master.peak(result.samples)),
                    decibels(Master.loudestRms(result.samples)), result.gain));
        }
        System.out.println(String.format(Locale.ROOT, "%d sounds, %d bytes", SoundBook.all().size(), total));
    }

    private static double decibels(double v) {
        return 20 * StrictMath.log10(v);
    }
}
