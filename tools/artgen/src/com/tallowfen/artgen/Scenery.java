package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.geom.Path2D;
import java.util.Random;

/** The night sky with its mountains, and the snowy near ground the battle stands on. */
final class Scenery {
    private Scenery() {
    }

    /**
     * Two snow-covered ranges fill the middle of the sky from side to side:
     * the game writes its pause texts there, in the default black, and the
     * snow keeps them readable over any part of the world. Only the upper
     * sky, with the stars and the moon, is dark.
     */
    static void sky(Graphics2D g, int frame, int frames) {
        skyGradient(g, 640, 420);
        stars(g, Ink.dice("BackGround", 0), 640, 150, 150);
        moon(g, 528, 58, 27);
        mountains(g, Ink.dice("Peaks", 0), 160, new Color(0xc3d0ee), new Color(0xf1f5fe), 1.9);
        mountains(g, Ink.dice("Ridge", 0), 232, new Color(0xaabbe4), new Color(0xe2e9fa), 1.5);
        g.setColor(new Color(0x8a9dd0));
        g.fillRect(0, 330, 640, 90);
    }

    /** Deep blue at the top, warming toward a faint violet glow over the horizon. */
    static void skyGradient(Graphics2D g, int w, int h) {
        g.setPaint(new GradientPaint(0, 0, Ink.NIGHT, 0, h * 0.62f, Ink.NIGHT_LOW));
        g.fillRect(0, 0, w, (int) (h * 0.62));
        g.setPaint(new GradientPaint(0, h * 0.62f, Ink.NIGHT_LOW, 0, h, new Color(0x5a5a9a)));
        g.fillRect(0, (int) (h * 0.62), w, h - (int) (h * 0.62));
    }

    /** Scattered stars, a few bigger ones with a twinkle cross. */
    static void stars(Graphics2D g, Random r, int w, int h, int count) {
        for (int i = 0; i < count; i++) {
            double x = r.nextDouble() * w;
            double y = r.nextDouble() * r.nextDouble() * h;
            double size = r.nextDouble();
            Color c = Ink.mix(new Color(0xfff6d8), new Color(0xcfe0ff), r.nextDouble());
            if (size > 0.93) {
                g.setColor(Ink.fade(c, 0.55));
                g.fill(Ink.poly(x - 4, y, x, y - 0.7, x + 4, y, x, y + 0.7));
                g.fill(Ink.poly(x, y - 4, x + 0.7, y, x, y + 4, x - 0.7, y));
                Ink.fill(g, Ink.oval(x, y, 1.3, 1.3), c);
            } else {
                Ink.fill(g, Ink.oval(x, y, 0.5 + size * 0.6, 0.5 + size * 0.6), Ink.fade(c, 0.5 + size * 0.5));
            }
        }
    }

    static void moon(Graphics2D g, double x, double y, double r) {
        for (int i = 6; i >= 1; i--) {
            Ink.fill(g, Ink.oval(x, y, r + i * 6, r + i * 6), Ink.fade(new Color(0xfff2c0), 0.035));
        }
        Ink.fill(g, Ink.oval(x, y, r, r), new Color(0xfff4cf));
        Ink.fill(g, Ink.oval(x - r * 0.3, y - r * 0.25, r * 0.22, r * 0.2), new Color(0xeadfb4));
        Ink.fill(g, Ink.oval(x + r * 0.35, y + r * 0.3, r * 0.16, r * 0.14), new Color(0xeadfb4));
        Ink.fill(g, Ink.oval(x + r * 0.1, y - r * 0.5, r * 0.1, r * 0.1), new Color(0xeadfb4));
    }

    /** A range of peaks whose tops sit around the given line, with snow caps down the upper flanks. */
    private static void mountains(Graphics2D g, Random r, int base, Color rock, Color snow, double snowShare) {
        Path2D body = new Path2D.Double();
        Path2D caps = new Path2D.Double();
        body.moveTo(-20, 420);
        double x = -20;
        while (x < 660) {
            double half = 40 + r.nextDouble() * 50;
            double peakY = base - 20 - r.nextDouble() * 45;
            double footY = base + 25 + r.nextDouble() * 20;
            body.lineTo(x + half, peakY);
            body.lineTo(x + 2 * half, footY);
            double capDepth = (footY - peakY) * 0.35 * snowShare;
            double t = capDepth / (footY - peakY);
            caps.moveTo(x + half, peakY);
            caps.lineTo(x + half + half * t, peakY + capDepth);
            caps.lineTo(x + half + half * t * 0.45, peakY + capDepth * 0.7);
            caps.lineTo(x + half + 0.1 * half * t, peakY + capDepth);
            caps.lineTo(x + half - half * t * 0.4, peakY + capDepth * 0.65);
            caps.lineTo(x + half - half * t, peakY + capDepth);
            caps.closePath();
            x += 2 * half - 25;
        }
        body.lineTo(680, 420);
        body.closePath();
        Ink.fill(g, body, rock);
        Ink.fill(g, caps, snow);
    }

    static void midground(Graphics2D g, int frame, int frames) {
        Random r = Ink.dice("MidGround", 0);
        farHills(g, r);
        nearBank(g);
        field(g);
    }

    /** Rolling hills with snowy pines; above their skyline the picture is see-through. */
    private static void farHills(Graphics2D g, Random r) {
        Path2D hill = new Path2D.Double();
        hill.moveTo(0, 170);
        for (int x = 0; x <= 640; x += 8) {
            hill.lineTo(x, 52 + 10 * Math.sin(x / 57.0) + 7 * Math.sin(x / 23.0 + 1.3));
        }
        hill.lineTo(640, 170);
        hill.closePath();
        g.setPaint(new GradientPaint(0, 40, new Color(0x8fa6d6), 0, 110, new Color(0xc8d6f2)));
        g.fill(hill);
        for (int i = 0; i < 34; i++) {
            double x = r.nextDouble() * 640;
            double ground = 56 + 10 * Math.sin(x / 57.0) + 7 * Math.sin(x / 23.0 + 1.3);
            pine(g, x, ground + 6, 18 + r.nextDouble() * 26);
        }
    }

    /** A pine whose foot is at (x, y), with snow along its branches. */
    static void pine(Graphics2D g, double x, double y, double h) {
        double w = h * 0.42;
        Ink.fill(g, Ink.poly(x - 1.2, y, x + 1.2, y, x + 1.2, y - h * 0.2, x - 1.2, y - h * 0.2), Ink.WOOD_DARK);
        for (int tier = 0; tier < 3; tier++) {
            double top = y - h + tier * h * 0.22;
            double bottom = y - h * 0.12 - (2 - tier) * h * 0.2;
            double half = w * (0.55 + tier * 0.22);
            Ink.fill(g, Ink.poly(x, top, x + half, bottom, x - half, bottom), Ink.PINE);
            Ink.fill(g, Ink.poly(x, top, x + half * 0.45, top + (bottom - top) * 0.45, x, top + (bottom - top) * 0.3,
                    x - half * 0.5, top + (bottom - top) * 0.5), new Color(0xe8eefc));
            Ink.fill(g, Ink.poly(x + half * 0.2, bottom - 1.5, x + half, bottom, x + half * 0.1, bottom + 0.5),
                    new Color(0xdce5f8));
        }
    }

    /** The nearer snow bank, lit from the moon on the right. */
    private static void nearBank(Graphics2D g) {
        Path2D bank = new Path2D.Double();
        bank.moveTo(0, 170);
        for (int x = 0; x <= 640; x += 8) {
            bank.lineTo(x, 84 + 7 * Math.sin(x / 71.0 + 0.5) + 4 * Math.sin(x / 31.0));
        }
        bank.lineTo(640, 170);
        bank.closePath();
        g.setPaint(new GradientPaint(0, 75, new Color(0xd7e2f7), 0, 125, new Color(0xeef3fd)));
        g.fill(bank);
        for (double x : new double[] {14, 36, 606, 628}) {
            pine(g, x, 100 + 3 * Math.sin(x), 40 + (x % 7) * 2);
        }
    }

    /** The flat field in front: barracks stand on its back edge, elves run on it, the score sits on it. */
    private static void field(Graphics2D g) {
        g.setPaint(new GradientPaint(0, 112, new Color(0xe9effb), 0, 163, new Color(0xfbfcff)));
        g.fillRect(0, 114, 640, 49);
        Path2D edge = new Path2D.Double();
        edge.moveTo(0, 114);
        for (int x = 0; x <= 640; x += 10) {
            edge.lineTo(x, 112 + 1.5 * Math.sin(x / 13.0));
        }
        edge.lineTo(640, 118);
        edge.lineTo(0, 118);
        edge.closePath();
        Ink.fill(g, edge, new Color(0xe9effb));
        g.setColor(new Color(0xd5def2));
        for (int i = 0; i < 9; i++) {
            double x = 20 + i * 71;
            g.fill(Ink.oval(x, 126 + (i % 3) * 5, 22, 1.5));
        }
    }
}
