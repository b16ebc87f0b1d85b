package com.tallowfen.soundgen;

/**
 * Turns a recipe's signal into the game's 8,000 Hz samples at an even level: band-limits and
 * decimates, brings the loudest stretch to a common level without letting any peak clip, and
 * fades the ends so a playback starts and stops without a click.
 */
final class Master {
    /** Ceiling for any sample: about -1 dBFS, so mu-law never reaches its last step. */
    static final double PEAK_CEILING = 0.89;
    /** Loudness target: RMS of the loudest 50 ms, about -11 dBFS. */
    static final double RMS_TARGET = 0.28;
    private static final int FACTOR = Dsp.RATE / AuFile.SAMPLE_RATE;
    private static final int TAPS = 96;
    private static final double CUTOFF = 3600.0;
    private static final double[] KERNEL = kernel();

    private Master() {
    }

    /** The finished sound: linear samples at 8,000 Hz and the gain that was applied. */
    static final class Result {
        final double[] samples;
        final double gain;

        Result(double[] samples, double gain) {
            this.samples = samples;
            this.gain = gain;
        }
    }

    /** Masters a one-shot effect: the inaudible tail is cut and the ends are faded to silence. */
    static Result oneShot(double[] signal) {
        double[] x = trimTail(decimate(signal, false));
        fadeEnds(x, 0.002, 0.03);
        return normalise(x);
    }

    /** Masters a loop: decimated around the seam and left unfaded, so it repeats without a click. */
    static Result loop(double[] signal) {
        return normalise(decimate(signal, true));
    }

    /** Mu-law bytes of mastered samples. */
    static byte[] encode(double[] samples) {
        byte[] out = new byte[samples.length];
        for (int i = 0; i < samples.length; i++) {
            out[i] = MuLaw.encode((int) StrictMath.round(samples[i] * 32767.0));
        }
        return out;
    }

    static double peak(double[] x) {
        double p = 0;
        for (double v : x) {
            p = StrictMath.max(p, StrictMath.abs(v));
        }
        return p;
    }

    /** RMS of the loudest 50 ms window (the whole sound if shorter). */
    static double loudestRms(double[] x) {
        int window = StrictMath.min(x.length, AuFile.SAMPLE_RATE / 20);
        double sum = 0;
        for (int i = 0; i < window; i++) {
            sum += x[i] * x[i];
        }
        double best = sum;
        for (int i = window; i < x.length; i++) {
            sum += x[i] * x[i] - x[i - window] * x[i - window];
            best = StrictMath.max(best, sum);
        }
        return window == 0 ? 0 : StrictMath.sqrt(StrictMath.max(0, best) / window);
    }

    private static Result normalise(double[] x) {
        double peak = peak(x);
        double rms = loudestRms(x);
        if (peak == 0) {
            throw new IllegalStateException("recipe produced silence");
        }
        double gain = StrictMath.min(RMS_TARGET / rms, PEAK_CEILING / peak);
        return new Result(Dsp.scale(x, gain), gain);
    }

    /** Drops what follows the last sample within 50 dB of the peak, keeping a short margin to fade through. */
    private static double[] trimTail(double[] x) {
        double floor = peak(x) * 0.003;
        int last = x.length - 1;
        while (last > 0 && StrictMath.abs(x[last]) < floor) {
            last--;
        }
        int end = StrictMath.min(x.length, last + AuFile.SAMPLE_RATE / 50);
        return java.util.Arrays.copyOf(x, end);
    }

    private static void fadeEnds(double[] x, double in, double out) {
        int n = (int) (in * AuFile.SAMPLE_RATE);
        int m = (int) (out * AuFile.SAMPLE_RATE);
        for (int i = 0; i < n && i < x.length; i++) {
            x[i] *= 0.5 - 0.5 * StrictMath.cos(StrictMath.PI * i / n);
        }
        for (int i = 0; i < m && i < x.length; i++) {
            x[x.length - 1 - i] *= 0.5 - 0.5 * StrictMath.cos(StrictMath.PI * i / m);
        }
    }

    /** Low-pass below the game's Nyquist frequency, then keep every FACTOR-th sample. */
    private static double[] decimate(double[] x, boolean circular) {
        double[] out = new double[x.length / FACTOR];
        for (int n = 0; n < out.length; n++) {
            double s = 0;
            for (int k = 0; k < KERNEL.length; k++) {
                int i = n * FACTOR + k - KERNEL.length / 2;
                if (circular) {
                    s += KERNEL[k] * x[Math.floorMod(i, x.length)];
                } else if (i >= 0 && i < x.length) {
                    s += KERNEL[k] * x[i];
                }
            }
            out[n] = s;
        }
        return out;
    }

    /** Blackman-windowed sinc with unit gain at DC. */
    private static double[] kernel() {
        double[] h = new double[TAPS + 1];
        double fc = CUTOFF / Dsp.RATE;
        double sum = 0;
        for (int k = 0; k <= TAPS; k++) {
            double m = k - TAPS / 2.0;
            double sinc = m == 0 ? 2 * fc : StrictMath.sin(2 * StrictMath.PI * fc * m) / (StrictMath.PI * m);
            double w = 0.42 - 0.5 * StrictMath.cos(2 * StrictMath.PI * k / TAPS)
                    + 0.08 * StrictMath.cos(4 * StrictMath.PI * k / TAPS);
            h[k] = sinc * w;
            sum += h[k];
        }
        for (int k = 0; k <= TAPS; k++) {
            h[k] /= sum;
        }
        return h;
    }
}
