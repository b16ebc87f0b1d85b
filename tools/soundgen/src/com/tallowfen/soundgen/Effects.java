package com.tallowfen.soundgen;

import static com.tallowfen.soundgen.Dsp.bandpass;
import static com.tallowfen.soundgen.Dsp.glide;
import static com.tallowfen.soundgen.Dsp.highpass;
import static com.tallowfen.soundgen.Dsp.lowpass;
import static com.tallowfen.soundgen.Dsp.mix;
import static com.tallowfen.soundgen.Dsp.noise;
import static com.tallowfen.soundgen.Dsp.saturate;
import static com.tallowfen.soundgen.Dsp.shape;
import static com.tallowfen.soundgen.Dsp.strike;
import static com.tallowfen.soundgen.Dsp.swell;
import static com.tallowfen.soundgen.Dsp.tone;

import java.util.Random;

/** Noises of the battle: the gun, hits on sleighs and parachutes, falls, crashes and blasts. */
final class Effects {
    private Effects() {
    }

    /** The gun's shot: a hard crack over a short, low boom; fired every tenth of a second, so it is brief. */
    static double[] gunFiring() {
        double len = 0.38;
        double[] out = new double[Dsp.samples(len)];
        mix(out, shape(highpass(noise(len, 101), 1500), strike(0.0003, 0.004)), 0, 1.2);
        mix(out, shape(lowpass(noise(len, 102), 1400), strike(0.0008, 0.035)), 0, 1.6);
        mix(out, tone(len, glide(150, 45, 0.12), strike(0.001, 0.05)), 0, 0.9);
        mix(out, shape(lowpass(lowpass(noise(len, 103), 600), 600), strike(0.01, 0.09)), 0, 2.2);
        return out;
    }

    /** Cloth tearing in two pulls: a fast train of fibre snaps, some louder, over a thin hiss. */
    static double[] parachuteShredded() {
        double len = 0.7;
        double[] out = new double[Dsp.samples(len)];
        Random r = new Random(201);
        tearing(out, r, 0.0, 0.32, 320, 1.0);
        tearing(out, r, 0.38, 0.28, 240, 0.75);
        double[] hiss = bandpass(noise(len, 202), 2600, 0.9);
        shape(hiss, t -> swell(0.03, 0.05, 0.32).at(t) + 0.7 * swell(0.03, 0.08, 0.28).at(t - 0.38));
        mix(out, hiss, 0, 0.1);
        return saturate(highpass(out, 500), 3);
    }

    /** One pull of a tear: snaps come fastest in the middle of the pull, then thin out. */
    private static void tearing(double[] out, Random r, double start, double length, double peakRate, double gain) {
        double t = 0;
        while (t < length) {
            double rate = peakRate * StrictMath.sin(StrictMath.PI * t / length) + 40;
            t += -StrictMath.log(1 - r.nextDouble()) / rate;
            double[] snap = shape(noise(0.003, r.nextLong()), strike(0.0001, 0.0006));
            bandpass(snap, 1200 + 2300 * r.nextDouble(), 2);
            double loud = r.nextDouble();
            mix(out, snap, start + t, gain * (0.3 + 0.7 * loud * loud));
        }
    }

    /** A spring's boing as an elf hits the ground without a parachute. */
    static double[] elfBounce() {
        double len = 0.75;
        Dsp.Curve f = t -> {
            double settle = 230 - 110 * StrictMath.exp(-t / 0.03);
            double wobble = 0.22 * StrictMath.exp(-t / 0.22) * StrictMath.sin(2 * StrictMath.PI * 14 * t);
            return settle * (1 + wobble) * (1 + 0.25 * t);
        };
        double[] out = Dsp.harmonics(len, f, strike(0.004, 0.17), 1.0, 0.45, 0.2, 0.08);
        mix(out, tone(0.08, glide(110, 60, 0.06), strike(0.001, 0.02)), 0, 0.8);
        return out;
    }

    /** A shell on a sleigh's runners: a dull knock with the ring of its metal frame. */
    static double[] sleighHit(double knock, double[][] frame, long seed) {
        double len = 0.45;
        double[] out = Dsp.modes(len, frame);
        mix(out, tone(len, glide(knock, knock * 0.55, 0.08), strike(0.002, 0.05)), 0, 1.4);
        mix(out, shape(lowpass(noise(len, seed), 2500), strike(0.0004, 0.006)), 0, 0.8);
        return out;
    }

    static double[] sleighHitA() {
        return sleighHit(120, new double[][] {
            {310, 0.45, 0.11}, {742, 0.35, 0.08}, {1187, 0.28, 0.06}, {1733, 0.22, 0.045},
            {2451, 0.14, 0.03}, {3104, 0.08, 0.02}}, 301);
    }

    static double[] sleighHitB() {
        return sleighHit(170, new double[][] {
            {436, 0.40, 0.14}, {1021, 0.32, 0.1}, {1612, 0.26, 0.07}, {2283, 0.18, 0.05},
            {2897, 0.12, 0.035}}, 302);
    }

    /** A falling object's whistle: the pitch sinks as it drops, with a breath of wind under it. */
    static double[] fallingWhistle(double from, double to, double len, double vibRate, double vibDepth,
                                   double detune, long seed) {
        Dsp.Curve f = Dsp.vibrato(glide(from, to, len), vibRate, vibDepth);
        Dsp.Curve env = Dsp.times(swell(0.06, 0.22, len), Dsp.line(0, 0.55, len, 1.0));
        double[] out = Dsp.harmonics(len, f, env, 1.0, 0.06);
        if (detune != 0) {
            mix(out, Dsp.harmonics(len, t -> f.at(t) * (1 + detune), env, 1.0), 0, 0.6);
        }
        double[] wind = shape(bandpass(noise(len, seed), f, 6), env);
        mix(out, wind, 0, 0.5);
        return out;
    }

    static double[] sleighFalling(int which) {
        switch (which) {
            case 1: return fallingWhistle(2400, 620, 1.4, 5, 0.008, 0, 401);
            case 2: return fallingWhistle(2000, 450, 1.3, 7, 0.02, 0, 402);
            case 3: return fallingWhistle(2900, 900, 1.15, 4, 0.01, 0.012, 403);
            default: return fallingWhistle(1750, 380, 1.45, 6, 0.015, 0.02, 404);
        }
    }

    /** A present's drop: a shorter slide down, starting on a note so the three make a chord. */
    static double[] presentDrop(int which) {
        switch (which) {
            case 1: return fallingWhistle(Dsp.note(22), Dsp.note(3), 0.9, 9, 0.015, 0, 2601);
            case 2: return fallingWhistle(Dsp.note(19), Dsp.note(0), 0.85, 9, 0.015, 0, 2701);
            default: return fallingWhistle(Dsp.note(15), Dsp.note(-4), 0.8, 9, 0.015, 0, 2801);
        }
    }

    /** Santa's sleigh hits the ground: a heavy impact, bent metal and scattering bells. */
    static double[] santaCrash() {
        double len = 1.5;
        double[] out = new double[Dsp.samples(len)];
        mix(out, shape(lowpass(noise(len, 2301), 900), strike(0.002, 0.22)), 0, 1.3);
        mix(out, tone(len, glide(75, 32, 0.5), strike(0.003, 0.28)), 0, 1.0);
        mix(out, sleighHitA(), 0.005, 0.6);
        Random r = new Random(2302);
        for (int i = 0; i < 14; i++) {
            double at = 0.08 + 1.0 * r.nextDouble();
            double base = 800 + 1800 * r.nextDouble();
            double[] clank = Dsp.modes(0.3, new double[][] {
                {base, 0.5, 0.05}, {base * 1.71, 0.3, 0.04}, {base * 2.43, 0.2, 0.03}});
            mix(out, clank, at, 0.5 * (1.1 - at));
        }
        for (int i = 0; i < 5; i++) {
            double at = 0.15 + 0.2 * i + 0.05 * r.nextDouble();
            mix(out, Bells.jingle(r.nextLong(), 3), at, 0.35 * (1.3 - at));
        }
        return out;
    }

    /** A present shot in the air: a paper pop and a spray of crackle. */
    static double[] presentBurst1() {
        double len = 0.6;
        double[] out = new double[Dsp.samples(len)];
        mix(out, shape(bandpass(noise(len, 2901), 900, 0.8), strike(0.0008, 0.03)), 0, 2.0);
        mix(out, tone(len, glide(190, 90, 0.05), strike(0.001, 0.04)), 0, 0.8);
        mix(out, shape(bandpass(noise(len, 2903), 2000, 0.7), strike(0.005, 0.12)), 0, 0.35);
        crackle(out, new Random(2902), 22, 0.02, 0.45, 3000);
        return out;
    }

    /** The second kind of burst: a softer whump and a shower of tinsel pings. */
    static double[] presentBurst2() {
        double len = 0.7;
        double[] out = new double[Dsp.samples(len)];
        mix(out, shape(lowpass(noise(len, 3001), 1500), strike(0.002, 0.07)), 0, 1.8);
        mix(out, tone(len, glide(140, 70, 0.08), strike(0.002, 0.06)), 0, 0.9);
        Random r = new Random(3002);
        for (int i = 0; i < 6; i++) {
            double f = Dsp.note(27 + 2 * r.nextInt(6));
            mix(out, Bells.ping(f, 0.12), 0.04 + 0.06 * i + 0.02 * r.nextDouble(), 0.25 - 0.03 * i);
        }
        crackle(out, r, 10, 0.03, 0.35, 2500);
        return out;
    }

    /** Short noise grains scattered over a span, thinning out: debris, confetti, sparks. */
    static void crackle(double[] out, Random r, int count, double from, double to, double centre) {
        for (int i = 0; i < count; i++) {
            double at = from + (to - from) * StrictMath.pow(r.nextDouble(), 1.6);
            double[] grain = shape(noise(0.01, r.nextLong()), strike(0.0003, 0.002));
            bandpass(grain, centre * (0.7 + 0.6 * r.nextDouble()), 1.5);
            mix(out, grain, at, 0.8 * (1 - (at - from) / (to - from)) + 0.1);
        }
    }

    /** A present landing: an explosion with a low rumble and falling sparks. */
    static double[] presentExplode() {
        double len = 1.5;
        double[] out = new double[Dsp.samples(len)];
        mix(out, shape(highpass(noise(len, 3201), 1200), strike(0.0005, 0.01)), 0, 1.0);
        mix(out, shape(lowpass(noise(len, 3202), 700), strike(0.004, 0.3)), 0, 1.6);
        mix(out, shape(lowpass(lowpass(noise(len, 3203), 220), 220), strike(0.01, 0.33)), 0, 4.0);
        mix(out, tone(len, glide(60, 28, 0.6), strike(0.005, 0.35)), 0, 1.0);
        crackle(out, new Random(3204), 30, 0.05, 1.0, 2200);
        return out;
    }
}
