package com.tallowfen.soundgen;

import static com.tallowfen.soundgen.Dsp.mix;
import static com.tallowfen.soundgen.Dsp.note;

import java.util.Random;

/** Bells and music: sleigh bells, chimes, Santa's fanfare, the decorating sparkle and the bell tune. */
final class Bells {
    /** Strap of sleigh bells, each a little different, so a shake never repeats one pitch. */
    private static final double[] STRAP = {1650, 1890, 2140, 2430};

    private Bells() {
    }

    /** One shake of a strap of sleigh bells: a handful of bells struck a few milliseconds apart. */
    static double[] jingle(long seed, int strikes) {
        Random r = new Random(seed);
        double[] out = new double[Dsp.samples(0.4)];
        double at = 0;
        for (int i = 0; i < strikes; i++) {
            double f = STRAP[r.nextInt(STRAP.length)] * (0.98 + 0.04 * r.nextDouble());
            double[] bell = Dsp.modes(0.3, new double[][] {
                {f, 0.5, 0.09}, {f * 1.48, 0.35, 0.06}, {f * 2.05, 0.2, 0.04}});
            mix(out, bell, at, 0.6 + 0.4 * r.nextDouble());
            at += 0.004 + 0.011 * r.nextDouble();
        }
        double[] rattle = Dsp.shape(Dsp.noise(0.1, r.nextLong()), Dsp.strike(0.001, 0.015));
        mix(out, Dsp.bandpass(rattle, 2900, 1.5), 0, 0.5);
        return out;
    }

    /** A small glass-like ping: the bright grains of the sparkle and of bursting tinsel. */
    static double[] ping(double f, double tau) {
        return Dsp.modes(tau * 5, new double[][] {{f, 0.7, tau}, {f * 2.76, 0.2, tau * 0.4}});
    }

    /** A glockenspiel note: the tune's voice. */
    static double[] glock(double f) {
        return Dsp.modes(1.2, new double[][] {
            {f, 0.8, 0.45}, {f * 2.756, 0.28, 0.14}, {f * 5.404, 0.1, 0.05}});
    }

    /** A brass note with a soft attack and a slow vibrato that starts after the attack. */
    static double[] horn(double f, double length) {
        Dsp.Curve pitch = t -> f * (1 + 0.006 * StrictMath.min(1, t / 0.2) * StrictMath.sin(2 * StrictMath.PI * 5.5 * t));
        double[] out = Dsp.saw(length, pitch, Dsp.swell(0.025, 0.07, length), 14);
        return Dsp.lowpass(Dsp.lowpass(out, 2600), 3200);
    }

    /** Santa's arrival: a rising horn call over shaken sleigh bells. */
    static double[] santaAppears() {
        double len = 2.2;
        double[] out = new double[Dsp.samples(len)];
        double[][] call = { // start (s), semitones from A4, length (s)
            {0.0, -2, 0.17}, {0.2, 3, 0.17}, {0.4, 7, 0.17}, {0.6, 10, 0.32}, {0.95, 7, 0.14}, {1.1, 10, 0.95}};
        for (double[] n : call) {
            mix(out, horn(note((int) n[1]), n[2]), n[0], 0.35);
            mix(out, glock(note((int) n[1] + 12)), n[0], 0.25);
        }
        mix(out, horn(note(7), 0.95), 1.1, 0.22);
        mix(out, horn(note(3), 0.95), 1.1, 0.18);
        Random r = new Random(2201);
        for (int i = 0; i < 10; i++) {
            mix(out, jingle(r.nextLong(), i % 2 == 0 ? 6 : 3), 0.1 * i * 2, i % 2 == 0 ? 0.45 : 0.3);
        }
        mix(out, jingle(r.nextLong(), 8), 1.1, 0.5);
        return out;
    }

    /** Tinsel going up on a barrack: quick rising pings with a shimmer. */
    static double[] elfDecorate() {
        double len = 0.8;
        double[] out = new double[Dsp.samples(len)];
        int[] scale = {15, 17, 19, 22, 24, 27, 29, 31, 34};
        Random r = new Random(2501);
        for (int i = 0; i < scale.length; i++) {
            mix(out, ping(note(scale[i]), 0.09), 0.042 * i + 0.008 * r.nextDouble(), 0.5 - 0.02 * i);
        }
        double[] shimmer = Dsp.shape(Dsp.noise(len, r.nextLong()), Dsp.swell(0.1, 0.3, 0.6));
        mix(out, Dsp.bandpass(shimmer, 3200, 4), 0, 0.4);
        return out;
    }

    /** Beats per minute of the bell tune. */
    private static final double TEMPO = 160;

    /** The bell tune: four bars that repeat seamlessly, every ringing tail carried over the seam. */
    static double[] bellLoop() {
        double beat = 60.0 / TEMPO;
        double[] out = new double[Dsp.samples(16 * beat)];
        double[][] melody = { // beat, semitones from A4
            {0, 7}, {1, 10}, {2, 12}, {2.5, 10}, {3, 7},
            {4, 5}, {5, 8}, {6, 7}, {6.5, 5}, {7, 3},
            {8, 7}, {9, 10}, {10, 15}, {10.5, 14}, {11, 12},
            {12, 10}, {12.5, 7}, {13, 5}, {13.5, 7}, {14, 3}};
        for (double[] n : melody) {
            Dsp.mixWrapped(out, glock(note((int) n[1])), n[0] * beat, 0.45);
        }
        int[] bass = {-21, -21, -26, -26, -24, -28, -26, -21};
        for (int i = 0; i < bass.length; i++) {
            double f = note(bass[i]);
            double[] pluck = Dsp.harmonics(0.7, Dsp.constant(f), Dsp.strike(0.005, 0.2), 1.0, 0.5, 0.2);
            Dsp.mixWrapped(out, pluck, 2 * i * beat, 0.5);
        }
        Random r = new Random(2401);
        for (int i = 0; i < 32; i++) {
            boolean onBeat = i % 2 == 0;
            Dsp.mixWrapped(out, jingle(r.nextLong(), onBeat ? 5 : 2), i * beat / 2, onBeat ? 0.22 : 0.12);
        }
        return out;
    }
}
