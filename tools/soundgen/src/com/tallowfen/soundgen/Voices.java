package com.tallowfen.soundgen;

import static com.tallowfen.soundgen.Dsp.line;
import static com.tallowfen.soundgen.Dsp.mix;

import java.util.Random;

/**
 * Small creature voices built from a pitch and three moving formants: the elves' cries and
 * cheer, the scream of a falling elf and the reindeer's bleats.
 */
final class Voices {
    // Formant frequencies (F1, F2, F3) of vowels for a small, high voice.
    static final double[] A = {1000, 1450, 3000};
    static final double[] O = {650, 1000, 2950};
    static final double[] U = {420, 1000, 2900};
    static final double[] UH = {560, 1250, 2900};
    static final double[] E = {700, 2100, 3100};
    static final double[] EI = {500, 2500, 3200};
    static final double[] I = {400, 2900, 3450};
    static final double[] AE = {950, 2000, 3100};
    /** A reindeer's longer throat: lower formants than an elf's. */
    static final double[] DEER_E = {600, 1800, 2700};
    static final double[] DEER_A = {800, 1250, 2600};
    static final double[] HUM = {300, 1100, 2600};

    private static final double[] GAINS = {1.0, 0.6, 0.25};
    private static final double[] WIDTHS = {110, 150, 220};

    private Voices() {
    }

    /** Formant path: pairs of (time, vowel) joined by straight lines. */
    static Dsp.Curve[] path(Object... timeAndVowel) {
        int n = timeAndVowel.length / 2;
        Dsp.Curve[] f = new Dsp.Curve[3];
        for (int j = 0; j < 3; j++) {
            double[] pairs = new double[2 * n];
            for (int i = 0; i < n; i++) {
                pairs[2 * i] = ((Number) timeAndVowel[2 * i]).doubleValue();
                pairs[2 * i + 1] = ((double[]) timeAndVowel[2 * i + 1])[j];
            }
            f[j] = line(pairs);
        }
        return f;
    }

    /** Slow random drift of -1..1 at the given rate, smooth enough to roughen a voice without clicks. */
    static Dsp.Curve drift(long seed, double rate, double seconds) {
        Random r = new Random(seed);
        double[] knots = new double[(int) (seconds * rate) + 3];
        for (int i = 0; i < knots.length; i++) {
            knots[i] = 2 * r.nextDouble() - 1;
        }
        return t -> {
            double x = StrictMath.max(0, t * rate);
            int k = StrictMath.min((int) x, knots.length - 2);
            double f = 0.5 - 0.5 * StrictMath.cos(StrictMath.PI * (x - k));
            return knots[k] + f * (knots[k + 1] - knots[k]);
        };
    }

    /**
     * A voiced sound: every harmonic of the pitch is weighted by how close it lies to the three
     * formants, so the vowel follows the path smoothly while the pitch moves freely.
     */
    static double[] voiced(double seconds, Dsp.Curve pitch, Dsp.Curve[] formants, Dsp.Curve env) {
        double[] out = new double[Dsp.samples(seconds)];
        double phase = 0;
        for (int i = 0; i < out.length; i++) {
            double t = Dsp.time(i);
            double f0 = pitch.at(t);
            double s = 0;
            for (int k = 1; k * f0 < 3800; k++) {
                double fk = k * f0;
                double weight = 0;
                for (int j = 0; j < 3; j++) {
                    double d = (fk - formants[j].at(t)) / (WIDTHS[j] * 0.5 + 0.1 * f0);
                    weight += GAINS[j] / (1 + d * d);
                }
                s += weight / StrictMath.sqrt(k) * StrictMath.sin(k * phase);
            }
            out[i] = s * env.at(t);
            phase += 2 * StrictMath.PI * f0 / Dsp.RATE;
            if (phase > 2 * StrictMath.PI * 1000) {
                phase -= 2 * StrictMath.PI * 1000;
            }
        }
        return out;
    }

    /** Band of noise shaped by an envelope: the hiss of "ch", "f" and the burst of "k". */
    static double[] hiss(double seconds, long seed, double centre, double q, Dsp.Curve env) {
        return Dsp.shape(Dsp.bandpass(Dsp.noise(seconds, seed), centre, q), env);
    }

    /** Pitch line made a little unsteady, as a real cry is. */
    static Dsp.Curve unsteady(Dsp.Curve pitch, long seed, double depth, double seconds) {
        Dsp.Curve d = drift(seed, 30, seconds);
        return t -> pitch.at(t) * (1 + depth * d.at(t));
    }

    /** The seven small cries of an elf that is hit, each a different word of pain. */
    static double[] elfHit(int which) {
        switch (which) {
            case 1: // "Ouch!"
                return cry(0.42, line(0, 560, 0.06, 700, 0.28, 480), path(0, A, 0.08, A, 0.24, U),
                        Dsp.swell(0.02, 0.05, 0.27), 0.29, 0.11, 3000, 2.0, 1.0, 401);
            case 2: // "Ow!"
                return cry(0.46, line(0, 650, 0.05, 760, 0.42, 430), path(0, A, 0.12, A, 0.4, U),
                        Dsp.swell(0.02, 0.14, 0.44), 0, 0, 0, 1, 0, 402);
            case 3: // "Oof!"
                return cry(0.32, line(0, 480, 0.15, 400), path(0, UH, 0.15, U),
                        Dsp.swell(0.015, 0.04, 0.17), 0.15, 0.15, 1800, 0.7, 0.3, 403);
            case 4: // "Eek!"
                return cry(0.3, line(0, 820, 0.05, 950, 0.2, 800), path(0, I, 0.2, I),
                        Dsp.swell(0.01, 0.03, 0.2), 0.22, 0.03, 2300, 3.0, 0.3, 404);
            case 5: // "Yow!"
                return cry(0.5, line(0, 520, 0.15, 780, 0.46, 460), path(0, I, 0.07, I, 0.16, A, 0.3, A, 0.46, U),
                        Dsp.swell(0.03, 0.1, 0.48), 0, 0, 0, 1, 0, 405);
            case 6: // "Ai!"
                return cry(0.33, line(0, 700, 0.06, 820, 0.3, 640), path(0, A, 0.12, A, 0.28, I),
                        Dsp.swell(0.01, 0.06, 0.31), 0, 0, 0, 1, 0, 406);
            default: // "Aah!", sharp and high
                return cry(0.36, line(0, 900, 0.05, 1000, 0.34, 600), path(0, A, 0.2, A, 0.34, O),
                        Dsp.swell(0.005, 0.12, 0.35), 0, 0, 0, 1, 0, 407);
        }
    }

    /** A vowel cry, optionally ending in a consonant hiss (tailAt, tailLength, centre, q, gain). */
    private static double[] cry(double len, Dsp.Curve pitch, Dsp.Curve[] vowel, Dsp.Curve env,
                                double tailAt, double tailLength, double centre, double q, double tailGain, long seed) {
        double[] out = voiced(len, unsteady(pitch, seed, 0.012, len), vowel, env);
        mix(out, hiss(len, seed + 2000, 2200, 0.7, env), 0, 0.12);
        if (tailLength > 0) {
            double[] tail = hiss(tailLength, seed + 1000, centre, q, Dsp.strike(0.004, tailLength / 3));
            mix(out, tail, tailAt, tailGain * 1.5);
        }
        return out;
    }

    /** A long falling scream from an elf going down with its sleigh. */
    static double[] elfScreams() {
        double len = 1.45;
        Dsp.Curve pitch = Dsp.vibrato(unsteady(Dsp.glide(1100, 380, len), 1701, 0.02, len), 6.5, 0.035);
        Dsp.Curve env = Dsp.times(Dsp.swell(0.04, 0.35, len), line(0, 1.0, len, 0.55));
        double[] out = voiced(len, pitch, path(0, A, 0.6, A, 1.4, O), env);
        mix(out, hiss(len, 1702, 1500, 0.7, env), 0, 0.25);
        return out;
    }

    /** A reindeer's bleat: a nasal start, then a vowel that quavers in pitch and loudness. */
    static double[] deerHit(int which) {
        switch (which) {
            case 1: return bleat(0.55, line(0, 300, 0.1, 340, 0.55, 290), 11, path(0, HUM, 0.06, DEER_E, 0.55, DEER_E), 1801);
            case 2: return bleat(0.65, line(0, 250, 0.1, 265, 0.65, 225), 8.5, path(0, HUM, 0.07, AE, 0.3, DEER_A), 1901);
            default: return bleat(0.45, line(0, 330, 0.04, 420, 0.45, 340), 13, path(0, HUM, 0.04, DEER_E, 0.45, DEER_A), 2001);
        }
    }

    private static double[] bleat(double len, Dsp.Curve pitch, double rate, Dsp.Curve[] vowel, long seed) {
        Dsp.Curve wobble = t -> StrictMath.sin(2 * StrictMath.PI * rate * t);
        Dsp.Curve rough = unsteady(pitch, seed, 0.015, len);
        Dsp.Curve f = t -> rough.at(t) * (1 + 0.05 * wobble.at(t));
        Dsp.Curve env = t -> Dsp.swell(0.03, 0.12, len).at(t) * (0.7 + 0.3 * wobble.at(t)) * (t < 0.05 ? 0.5 : 1.0);
        double[] out = voiced(len, f, vowel, env);
        mix(out, hiss(len, seed + 1, 1200, 0.8, Dsp.swell(0.03, 0.12, len)), 0, 0.12);
        return out;
    }

    /** The elves' victory cheer: a little crowd shouting "yay!" with rising voices, and clapping. */
    static double[] elfCheer() {
        double len = 1.35;
        double[] out = new double[Dsp.samples(len)];
        double[] voices = {520, 600, 680, 560, 740};
        Random r = new Random(3101);
        for (int v = 0; v < voices.length; v++) {
            double b = voices[v];
            double at = 0.1 * r.nextDouble();
            double length = 0.8 + 0.35 * r.nextDouble();
            Dsp.Curve pitch = Dsp.vibrato(unsteady(line(0, b, 0.3, b * 1.35, length, b * 1.15), r.nextLong(), 0.015, length),
                    5 + r.nextDouble(), 0.02);
            double[] yay = voiced(length, pitch, path(0, I, 0.08, E, 0.45, E, length, EI), Dsp.swell(0.04, 0.3, length));
            mix(out, yay, at, 0.35);
        }
        for (int i = 0; i < 12; i++) {
            double[] clap = hiss(0.03, r.nextLong(), 1100 + 400 * r.nextDouble(), 1.2, Dsp.strike(0.0005, 0.006));
            mix(out, clap, 0.05 + 1.1 * r.nextDouble(), 1.2);
        }
        return out;
    }
}
