package com.tallowfen.soundgen;

import java.util.Random;

/**
 * Building blocks of the sound recipes. Signals are double arrays at {@link #RATE}, roughly within
 * -1..1; every function uses StrictMath so the same recipe gives the same samples on any VM.
 */
final class Dsp {
    /** Working rate: four times the game's 8,000 Hz, so tones and noise are shaped before decimation. */
    static final int RATE = 32000;

    private Dsp() {
    }

    /** A value that changes over time (seconds from the start of the signal). */
    interface Curve {
        double at(double t);
    }

    /** Number of samples in a stretch of time. */
    static int samples(double seconds) {
        return (int) StrictMath.round(seconds * RATE);
    }

    /** Seconds at sample index i. */
    static double time(int i) {
        return (double) i / RATE;
    }

    static Curve constant(double v) {
        return t -> v;
    }

    /** Piecewise linear through (time, value) pairs, holding the end values outside them. */
    static Curve line(double... pairs) {
        return t -> {
            if (t <= pairs[0]) {
                return pairs[1];
            }
            for (int i = 2; i < pairs.length; i += 2) {
                if (t <= pairs[i]) {
                    double f = (t - pairs[i - 2]) / (pairs[i] - pairs[i - 2]);
                    return pairs[i - 1] + f * (pairs[i + 1] - pairs[i - 1]);
                }
            }
            return pairs[pairs.length - 1];
        };
    }

    /** Geometric glide from f0 to f1 over the given time: pitch falls or rises evenly in semitones. */
    static Curve glide(double f0, double f1, double seconds) {
        return t -> f0 * StrictMath.pow(f1 / f0, StrictMath.min(1.0, StrictMath.max(0.0, t / seconds)));
    }

    /** Fast linear attack, then exponential decay with time constant tau. */
    static Curve strike(double attack, double tau) {
        return t -> t < attack ? t / attack : StrictMath.exp(-(t - attack) / tau);
    }

    /** Rise over attack, hold, then fall to zero over release, ending at length. */
    static Curve swell(double attack, double release, double length) {
        return t -> {
            if (t < 0 || t >= length) {
                return 0.0;
            }
            double a = t < attack ? t / attack : 1.0;
            double r = t > length - release ? (length - t) / release : 1.0;
            return StrictMath.min(a, r);
        };
    }

    static Curve times(Curve a, Curve b) {
        return t -> a.at(t) * b.at(t);
    }

    /** Frequency curve with a sine vibrato of the given rate and relative depth. */
    static Curve vibrato(Curve f, double rate, double depth) {
        return t -> f.at(t) * (1.0 + depth * StrictMath.sin(2 * StrictMath.PI * rate * t));
    }

    /** Sum of harmonics of freq(t) with the given weights, shaped by env(t); harmonics above 15 kHz are left out. */
    static double[] harmonics(double seconds, Curve freq, Curve env, double... weights) {
        double[] out = new double[samples(seconds)];
        double phase = 0;
        for (int i = 0; i < out.length; i++) {
            double t = time(i);
            double f = freq.at(t);
            double s = 0;
            for (int k = 1; k <= weights.length; k++) {
                if (k * f < 15000) {
                    s += weights[k - 1] * StrictMath.sin(k * phase);
                }
            }
            out[i] = s * env.at(t);
            phase += 2 * StrictMath.PI * f / RATE;
            if (phase > 2 * StrictMath.PI * 1000) {
                phase -= 2 * StrictMath.PI * 1000;
            }
        }
        return out;
    }

    /** A pure tone following freq(t), shaped by env(t). */
    static double[] tone(double seconds, Curve freq, Curve env) {
        return harmonics(seconds, freq, env, 1.0);
    }

    /** Band-limited sawtooth: bright, brassy source for the fanfare. */
    static double[] saw(double seconds, Curve freq, Curve env, int count) {
        double[] w = new double[count];
        for (int k = 1; k <= count; k++) {
            w[k - 1] = 1.0 / k;
        }
        return harmonics(seconds, freq, env, w);
    }

    /** White noise, uniform in -1..1, from its own seed. */
    static double[] noise(double seconds, long seed) {
        Random r = new Random(seed);
        double[] out = new double[samples(seconds)];
        for (int i = 0; i < out.length; i++) {
            out[i] = 2 * r.nextDouble() - 1;
        }
        return out;
    }

    /** Multiplies the signal by env(t) in place and returns it. */
    static double[] shape(double[] x, Curve env) {
        for (int i = 0; i < x.length; i++) {
            x[i] *= env.at(time(i));
        }
        return x;
    }

    static double[] scale(double[] x, double gain) {
        for (int i = 0; i < x.length; i++) {
            x[i] *= gain;
        }
        return x;
    }

    /** Soft saturation in place: rounds off the spikes of gritty noises so they sound as loud as the rest. */
    static double[] saturate(double[] x, double drive) {
        double peak = 0;
        for (double v : x) {
            peak = StrictMath.max(peak, StrictMath.abs(v));
        }
        for (int i = 0; i < x.length; i++) {
            x[i] = StrictMath.tanh(drive * x[i] / peak) / StrictMath.tanh(drive);
        }
        return x;
    }

    /** One-pole low-pass in place: soft, never rings. */
    static double[] lowpass(double[] x, double cutoff) {
        double a = 1 - StrictMath.exp(-2 * StrictMath.PI * cutoff / RATE);
        double y = 0;
        for (int i = 0; i < x.length; i++) {
            y += a * (x[i] - y);
            x[i] = y;
        }
        return x;
    }

    /** One-pole high-pass in place. */
    static double[] highpass(double[] x, double cutoff) {
        double a = 1 - StrictMath.exp(-2 * StrictMath.PI * cutoff / RATE);
        double y = 0;
        for (int i = 0; i < x.length; i++) {
            y += a * (x[i] - y);
            x[i] -= y;
        }
        return x;
    }

    /** Band-pass biquad (0 dB at the centre) in place; the centre may move over time. */
    static double[] bandpass(double[] x, Curve centre, double q) {
        double x1 = 0;
        double x2 = 0;
        double y1 = 0;
        double y2 = 0;
        for (int i = 0; i < x.length; i++) {
            double w = 2 * StrictMath.PI * StrictMath.min(centre.at(time(i)), RATE * 0.45) / RATE;
            double alpha = StrictMath.sin(w) / (2 * q);
            double a0 = 1 + alpha;
            double b0 = alpha / a0;
            double a1 = -2 * StrictMath.cos(w) / a0;
            double a2 = (1 - alpha) / a0;
            double y = b0 * x[i] - b0 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x[i];
            y2 = y1;
            y1 = y;
            x[i] = y;
        }
        return x;
    }

    static double[] bandpass(double[] x, double centre, double q) {
        return bandpass(x, constant(centre), q);
    }

    /** Adds src into dst from the given time, scaled; what runs past the end is dropped. */
    static void mix(double[] dst, double[] src, double at, double gain) {
        int start = samples(at);
        for (int i = 0; i < src.length && start + i < dst.length; i++) {
            if (start + i >= 0) {
                dst[start + i] += gain * src[i];
            }
        }
    }

    /** Adds src into a looping dst: what runs past the end comes back in at the start. */
    static void mixWrapped(double[] dst, double[] src, double at, double gain) {
        int start = samples(at);
        for (int i = 0; i < src.length; i++) {
            dst[Math.floorMod(start + i, dst.length)] += gain * src[i];
        }
    }

    /** Sum of decaying partials (frequency, amplitude, decay time): bells, metal, glass. */
    static double[] modes(double seconds, double[][] partials) {
        double[] out = new double[samples(seconds)];
        for (double[] p : partials) {
            if (p[0] >= 15000) {
                continue;
            }
            double w = 2 * StrictMath.PI * p[0] / RATE;
            for (int i = 0; i < out.length; i++) {
                double t = time(i);
                out[i] += p[1] * StrictMath.sin(w * i) * StrictMath.exp(-t / p[2]) * StrictMath.min(1.0, t / 0.0015);
            }
        }
        return out;
    }

    /** Length in seconds. */
    static double seconds(double[] x) {
        return (double) x.length / RATE;
    }

    /** Frequency of a note counted in semitones from A4 (440 Hz). */
    static double note(int semitonesFromA4) {
        return 440.0 * StrictMath.pow(2.0, semitonesFromA4 / 12.0);
    }
}
