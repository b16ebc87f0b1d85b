package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.geom.Path2D;
import java.util.Random;

/** Santa's presents: spinning as they fall, bursting when shot, exploding in tinsel when they land. */
final class Presents {
    static final int KIND_A = 0;
    static final int KIND_B = 1;
    /** Box, box shade, ribbon, confetti colours of each kind. */
    private static final Color[][] LOOK = {
        {new Color(0xd42a2f), new Color(0x8e1420), Ink.GOLD, new Color(0xffe46a)},
        {new Color(0x2e9a46), new Color(0x17602e), new Color(0xe8ecf8), new Color(0xff5a6a)},
    };

    private Presents() {
    }

    /** A box turning a quarter turn about its upright axis over the loop; its four sides look alike. */
    static Painter falling(int kind) {
        return (g, frame, frames) -> box(g, 16, 20, 90.0 * frame / frames, LOOK[kind], 1.0);
    }

    /** A box of 20 x 20 x 14 seen a little from above, centred at (x, y), turned by angle degrees. */
    static void box(Graphics2D g, double x, double y, double angle, Color[] look, double s) {
        double half = 10 * s;
        double tall = 14 * s;
        double squash = 0.38;
        double[][] c = new double[4][2];
        for (int i = 0; i < 4; i++) {
            double a = Math.toRadians(angle + 45 + 90 * i);
            c[i][0] = Math.cos(a) * half * Math.sqrt(2);
            c[i][1] = Math.sin(a) * half * Math.sqrt(2);
        }
        double top = y - tall / 2;
        for (int i = 0; i < 4; i++) {
            double[] p = c[i];
            double[] q = c[(i + 1) % 4];
            if (p[1] + q[1] <= 0) {
                continue;
            }
            double light = 0.15 + 0.5 * Math.abs(p[0] + q[0]) / (2 * half * Math.sqrt(2));
            Path2D side = Ink.poly(x + p[0], top + p[1] * squash, x + q[0], top + q[1] * squash,
                    x + q[0], top + q[1] * squash + tall, x + p[0], top + p[1] * squash + tall);
            Ink.blob(g, side, Ink.mix(look[0], look[1], p[0] + q[0] < 0 ? 0.1 : light + 0.25), Ink.LINE, 1.0);
            double mx = x + (p[0] + q[0]) / 2;
            double my = top + (p[1] + q[1]) / 2 * squash;
            double wRatio = Math.abs(p[0] - q[0]) / (2 * half);
            Ink.fill(g, Ink.poly(mx - 1.6 * wRatio, my, mx + 1.6 * wRatio, my, mx + 1.6 * wRatio, my + tall,
                    mx - 1.6 * wRatio, my + tall), look[2]);
        }
        Path2D lid = Ink.poly(x + c[0][0], top + c[0][1] * squash, x + c[1][0], top + c[1][1] * squash,
                x + c[2][0], top + c[2][1] * squash, x + c[3][0], top + c[3][1] * squash);
        Ink.blob(g, lid, Ink.mix(look[0], Color.WHITE, 0.18), Ink.LINE, 1.0);
        for (int i = 0; i < 2; i++) {
            double[] p = mid(c[i], c[(i + 1) % 4]);
            double[] q = mid(c[i + 2], c[(i + 3) % 4]);
            Ink.line(g, Ink.path(x + p[0], top + p[1] * squash, x + q[0], top + q[1] * squash), look[2], 2.6 * s);
        }
        bow(g, x, top, look[2], s);
    }

    private static double[] mid(double[] a, double[] b) {
        return new double[] {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
    }

    private static void bow(Graphics2D g, double x, double y, Color c, double s) {
        Ink.blob(g, Ink.smooth(x, y, x - 6 * s, y - 6 * s, x - 7 * s, y - 1 * s), c, Ink.LINE, 0.9);
        Ink.blob(g, Ink.smooth(x, y, x + 6 * s, y - 6 * s, x + 7 * s, y - 1 * s), c, Ink.LINE, 0.9);
        Ink.blob(g, Ink.oval(x, y - 0.5, 1.9 * s, 1.7 * s), Ink.mix(c, Ink.LINE, 0.2), Ink.LINE, 0.8);
    }

    /** Shot in the air: the box flies apart in paper shards and ribbon curls that spread and fade. */
    static void blasted(Graphics2D g, int frame, int frames) {
        double t = (frame + 1.0) / frames;
        if (frame < 2) {
            Ink.fill(g, Ink.oval(25, 25, 8 + frame * 5, 8 + frame * 5), new Color(0xfff4c0));
        }
        Random r = Ink.dice("PresentBlasted", 0);
        for (int i = 0; i < 22; i++) {
            double a = r.nextDouble() * 2 * Math.PI;
            double speed = 8 + r.nextDouble() * 14;
            double x = 25 + Math.cos(a) * speed * t * 1.2;
            double y = 25 + Math.sin(a) * speed * t * 1.2 + 8 * t * t;
            Color[] look = LOOK[i % 2];
            Color c = i % 5 == 0 ? look[2] : look[i % 3 == 0 ? 1 : 0];
            double spin = r.nextDouble() * 180 + frame * 40;
            double size = 2 + r.nextDouble() * 2.5;
            Ink.fill(g, Ink.turn(Ink.poly(x - size, y - size * 0.6, x + size, y - size * 0.4, x + size * 0.6, y + size * 0.6,
                    x - size * 0.8, y + size * 0.5), spin, x, y), Ink.fade(c, 1.1 - t));
        }
        Elves.sparkle(g, 25 + 14 * t, 25 - 12 * t, 3 * (1 - t) + 1);
        Elves.sparkle(g, 25 - 15 * t, 25 + 4 * t, 2.5 * (1 - t) + 1);
    }

    /** Landed: a flash, then a fountain of tinsel, stars and confetti over a spray of snow, fading out. */
    static Painter exploding(int kind) {
        return (g, frame, frames) -> burst(g, frame, frames, LOOK[kind], kind);
    }

    private static void burst(Graphics2D g, int frame, int frames, Color[] look, int kind) {
        double t = frame / (frames - 1.0);
        double gx = 91.5;
        double gy = 81;
        double fade = frame < 12 ? 1 : 1 - (frame - 12) / 9.0;
        if (frame < 4) {
            double r = 18 + frame * 7;
            Ink.fill(g, Ink.oval(gx, gy - r * 0.3, r * 1.1, r * 0.85), look[3]);
            Ink.fill(g, Ink.oval(gx, gy - r * 0.3, r * 0.7, r * 0.55), new Color(0xfff6c8));
            Ink.fill(g, Ink.oval(gx, gy - r * 0.3, r * 0.35, r * 0.28), Color.WHITE);
        }
        snowSpray(g, gx, gy, t, fade);
        Random r = Ink.dice(kind == 0 ? "BurstA" : "BurstB", 0);
        for (int i = 0; i < 70; i++) {
            double a = Math.toRadians(200 + r.nextDouble() * 140);
            double v = 45 + r.nextDouble() * 65;
            double x = gx + Math.cos(a) * v * t * 1.4;
            double y = gy + Math.sin(a) * v * t * 1.4 + 70 * t * t;
            if (y > gy + 6) {
                continue;
            }
            Color c = i % 4 == 0 ? look[3] : (i % 4 == 1 ? look[2] : (i % 4 == 2 ? look[0] : Ink.mix(look[0], Color.WHITE, 0.4)));
            double alpha = fade;
            if (i % 6 == 0) {
                Ink.blob(g, Gun.starShape(x, y, 5.5, 2.4), Ink.fade(Ink.GOLD, alpha), Ink.fade(Ink.GOLD_DARK, alpha), 0.8);
            } else {
                double spin = r.nextDouble() * 180 + frame * 35;
                Ink.fill(g, Ink.turn(Ink.round(x - 3.5, y - 1.6, 7, 3.2, 1), spin, x, y), Ink.fade(c, alpha));
            }
        }
        for (int i = 0; i < 6; i++) {
            double a = Math.toRadians(215 + i * 22);
            double len = 20 + 55 * Math.min(1, t * 1.6);
            Path2D streamer = new Path2D.Double();
            streamer.moveTo(gx, gy - 4);
            streamer.quadTo(gx + Math.cos(a) * len * 0.5 + 6, gy - 4 + Math.sin(a) * len * 0.5,
                    gx + Math.cos(a) * len, gy - 4 + Math.sin(a) * len + 30 * t * t);
            Ink.line(g, streamer, Ink.fade(i % 2 == 0 ? look[2] : look[3], fade), 2.4);
        }
    }

    private static void snowSpray(Graphics2D g, double gx, double gy, double t, double fade) {
        for (int i = -5; i <= 5; i++) {
            double x = gx + i * 9 * (0.4 + t);
            double h = (12 - Math.abs(i)) * 1.4 * Math.sin(Math.min(1, t * 1.5) * Math.PI * 0.9);
            Ink.fill(g, Ink.oval(x, gy + 4 - h * 0.4, 7, Math.max(1, h * 0.5)), Ink.fade(Ink.SNOW, fade * 0.9));
        }
    }
}
