package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Graphics2D;
import java.util.Random;

/** Shells, their bursts, the smoke a falling sleigh trails, and the magic puff of a change. */
final class Blasts {
    private static final Color FLASH = new Color(0xfff6c8);
    private static final Color FIRE = new Color(0xffa21a);
    private static final Color EMBER = new Color(0xe2481a);

    private Blasts() {
    }

    static void shell(Graphics2D g, int frame, int frames) {
        Ink.fill(g, Ink.oval(3, 3, 3, 3), new Color(0xff8a1a));
        Ink.fill(g, Ink.oval(3, 3, 1.9, 1.9), new Color(0xfff2a0));
    }

    /** Flak: a white-hot flash that swells into an orange fireball and thins into grey smoke. */
    static void flak(Graphics2D g, int frame, int frames) {
        double t = frame / (frames - 1.0);
        Random r = Ink.dice("ShellBlastA", 0);
        double grow = 4 + 9 * Math.sqrt(t);
        double fade = 1 - Math.max(0, t - 0.45) / 0.62;
        Color smoke = Ink.mix(new Color(0x5a5048), new Color(0x9a98a0), t);
        for (int i = 0; i < 6; i++) {
            double a = r.nextDouble() * 2 * Math.PI;
            double d = grow * 0.45;
            Ink.fill(g, Ink.oval(14 + Math.cos(a) * d, 14 + Math.sin(a) * d, grow * 0.55, grow * 0.55),
                    Ink.fade(smoke, fade));
        }
        if (t < 0.7) {
            double core = grow * (0.8 - t);
            Ink.fill(g, Ink.oval(14, 14, core, core), Ink.fade(t < 0.3 ? FIRE : EMBER, 1));
            Ink.fill(g, Ink.oval(14, 14, core * 0.55, core * 0.55), FLASH);
        }
        for (int i = 0; i < 6 && t < 0.6; i++) {
            double a = i * Math.PI / 3 + 0.3;
            double d = 4 + 10 * t;
            Ink.fill(g, Ink.oval(14 + Math.cos(a) * d, 14 + Math.sin(a) * d, 1.1, 1.1), FLASH);
        }
    }

    /** A quick star-shaped burst of festive sparks. */
    static void starburst(Graphics2D g, int frame, int frames) {
        double t = (frame + 1.0) / frames;
        double fade = frame < 3 ? 1 : 1 - (frame - 2) / 3.0;
        Color[] sparks = {new Color(0xffe46a), new Color(0xff6a6a), new Color(0x7ae07a), new Color(0x8ac8ff)};
        for (int i = 0; i < 12; i++) {
            double a = i * Math.PI / 6;
            double d = 14 * t;
            double x = 17.5 + Math.cos(a) * d;
            double y = 14.5 + Math.sin(a) * d * 0.85;
            Ink.line(g, Ink.path(17.5 + Math.cos(a) * d * 0.4, 14.5 + Math.sin(a) * d * 0.34, x, y),
                    Ink.fade(sparks[i % 4], fade), 1.6);
            Elves.sparkle(g, x, y, 1.5);
        }
        if (frame < 3) {
            Ink.fill(g, Gun.starShape(17.5, 14.5, 9 - frame * 2, 4 - frame), FLASH);
        }
    }

    /** A sooty puff left behind a falling sleigh: dark with embers at first, growing, greying, thinning out. */
    static void smoke(Graphics2D g, int frame, int frames) {
        double t = frame / (frames - 1.0);
        Random r = Ink.dice("Smoke", 0);
        double size = 7 + 11 * Math.sqrt(t);
        double fade = t < 0.3 ? 1 : 1 - (t - 0.3) / 0.75;
        Color c = Ink.mix(new Color(0x3a3436), new Color(0xa8a8b4), t);
        for (int i = 0; i < 7; i++) {
            double a = r.nextDouble() * 2 * Math.PI;
            double d = size * (0.3 + r.nextDouble() * 0.4);
            double rr = size * (0.45 + r.nextDouble() * 0.2);
            Ink.fill(g, Ink.oval(20.5 + Math.cos(a) * d, 22 + Math.sin(a) * d - 3 * t, rr, rr), Ink.fade(c, fade));
        }
        Ink.fill(g, Ink.oval(18, 19 - 3 * t, size * 0.35, size * 0.3), Ink.fade(Ink.mix(c, Color.WHITE, 0.25), fade));
        if (frame < 4) {
            Ink.fill(g, Ink.oval(21, 23, 4 - frame, 4 - frame), FIRE);
        }
    }

    /** The change puff: a billow of glittering white cloud with stars, over a barrack or the gun. */
    static void changePuff(Graphics2D g, int frame, int frames) {
        double t = (frame + 1.0) / frames;
        Random r = Ink.dice("Puff", 0);
        double size = 16 + 22 * Math.sqrt(t);
        double fade = frame < 4 ? 1 : 1 - (frame - 3) / 4.0;
        for (int i = 0; i < 9; i++) {
            double a = i * 2 * Math.PI / 9 + r.nextDouble() * 0.3;
            double d = size * 0.6;
            double rr = size * (0.38 + r.nextDouble() * 0.12);
            Ink.fill(g, Ink.oval(47 + Math.cos(a) * d, 43 + Math.sin(a) * d * 0.8, rr, rr * 0.9),
                    Ink.fade(new Color(0xe6ecfa), fade));
        }
        Ink.fill(g, Ink.oval(47, 43, size * 0.8, size * 0.7), Ink.fade(Color.WHITE, fade));
        for (int i = 0; i < 10; i++) {
            double a = r.nextDouble() * 2 * Math.PI;
            double d = size * (0.4 + r.nextDouble() * 0.7);
            double x = 47 + Math.cos(a) * d;
            double y = 43 + Math.sin(a) * d * 0.85;
            Color c = i % 3 == 0 ? Ink.GOLD : (i % 3 == 1 ? new Color(0xff6a8a) : new Color(0x8ad8ff));
            Ink.fill(g, Gun.starShape(x, y, 3.5 * (1.2 - t * 0.6), 1.5), Ink.fade(c, Math.min(1, fade + 0.3)));
        }
    }
}
