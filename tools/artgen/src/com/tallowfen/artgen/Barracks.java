package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.geom.Path2D;

/** The base's barracks, door on the left, in their four stages of unwanted Christmas decoration. */
final class Barracks {
    private static final Color[] BULBS = {
        new Color(0xff4a4a), new Color(0xffd34a), new Color(0x58e06a), new Color(0x5ab0ff), new Color(0xff7ae0)
    };

    private Barracks() {
    }

    /** Stage 0 is plain; each later stage keeps the decorations of the one before. */
    static Painter stage(int n) {
        return (g, frame, frames) -> {
            hut(g);
            if (n >= 1) {
                wreath(g);
            }
            if (n >= 2) {
                garland(g);
            }
            if (n >= 3) {
                lights(g, frame);
                roofStar(g, frame);
            }
        };
    }

    /** An olive plank hut with a snowy gable roof, a chimney, a lit window and its door on the left. */
    private static void hut(Graphics2D g) {
        Ink.blob(g, Ink.poly(58, 4, 65, 4, 65, 16, 58, 16), new Color(0x8a4a3a), Ink.LINE, 1.1);
        Ink.fill(g, Ink.round(56.5, 2, 10, 4, 3), Ink.SNOW);
        g.setPaint(new GradientPaint(0, 22, new Color(0x6b7a4a), 0, 57, new Color(0x4a5634)));
        g.fill(Ink.poly(7, 24, 72, 24, 72, 57, 7, 57));
        g.setColor(new Color(0x3b4428));
        for (int y = 29; y < 57; y += 5) {
            g.draw(Ink.path(8, y, 71, y));
        }
        Ink.line(g, Ink.poly(7, 24, 72, 24, 72, 57, 7, 57), Ink.LINE, 1.3);
        Ink.blob(g, Ink.poly(1, 26, 39.5, 7, 78, 26, 74, 28, 39.5, 11, 5, 28), new Color(0x6d3a2a), Ink.LINE, 1.2);
        Ink.blob(g, Ink.smooth(2, 25, 20, 14, 39.5, 5, 59, 14, 77, 25, 70, 23, 58, 19, 40, 12, 21, 19, 9, 23),
                Ink.SNOW, Ink.LINE, 1.0);
        Ink.blob(g, Ink.round(11, 34, 15, 23, 2), new Color(0x7a4a24), Ink.LINE, 1.2);
        Ink.fill(g, Ink.oval(23, 46, 1.2, 1.2), Ink.GOLD);
        window(g, 38, 33);
        window(g, 56, 33);
        Ink.blob(g, Ink.round(31, 18, 17, 6, 2), new Color(0x2a3420), Ink.LINE, 0.8);
        for (int i = 0; i < 4; i++) {
            Ink.fill(g, Ink.round(33.5 + i * 3.6, 19.5, 2, 3, 1), new Color(0x8f9a70));
        }
        Ink.fill(g, Ink.round(5, 55, 69, 3, 3), Ink.SNOW);
    }

    private static void window(Graphics2D g, double x, double y) {
        g.setPaint(new GradientPaint((float) x, (float) y, new Color(0xffe9a0), (float) x, (float) y + 11, new Color(0xf0a040)));
        g.fill(Ink.round(x, y, 11, 11, 2));
        Ink.line(g, Ink.round(x, y, 11, 11, 2), Ink.LINE, 1.1);
        Ink.line(g, Ink.path(x + 5.5, y, x + 5.5, y + 11), Ink.WOOD_DARK, 1.0);
        Ink.line(g, Ink.path(x, y + 5.5, x + 11, y + 5.5), Ink.WOOD_DARK, 1.0);
        Ink.fill(g, Ink.round(x - 1, y + 10, 13, 2.5, 2), Ink.SNOW);
    }

    private static void wreath(Graphics2D g) {
        Ink.blob(g, Ink.oval(18.5, 41, 5.6, 5.6), Ink.GREEN_DARK, Ink.LINE, 1.0);
        Ink.fill(g, Ink.oval(18.5, 41, 2.6, 2.6), new Color(0x7a4a24));
        for (int i = 0; i < 6; i++) {
            double a = i * Math.PI / 3 + 0.4;
            Ink.fill(g, Ink.oval(18.5 + 4 * Math.cos(a), 41 + 4 * Math.sin(a), 0.9, 0.9), Ink.RED);
        }
        Ink.blob(g, Ink.poly(18.5, 46, 15.5, 44.5, 15.5, 47.5), Ink.RED, Ink.LINE, 0.5);
        Ink.blob(g, Ink.poly(18.5, 46, 21.5, 44.5, 21.5, 47.5), Ink.RED, Ink.LINE, 0.5);
    }

    /** Gold and red tinsel swagged along both eaves. */
    private static void garland(Graphics2D g) {
        Path2D swag = new Path2D.Double();
        double[] xs = {3, 12, 21, 30, 39.5, 49, 58, 67, 76};
        swag.moveTo(xs[0], eave(xs[0]));
        for (int i = 1; i < xs.length; i++) {
            double mid = (xs[i - 1] + xs[i]) / 2;
            swag.quadTo(mid, Math.max(eave(xs[i - 1]), eave(xs[i])) + 6, xs[i], eave(xs[i]));
        }
        Ink.line(g, swag, Ink.LINE, 3.2);
        Ink.line(g, swag, Ink.GOLD, 2.0);
        for (int i = 1; i < xs.length - 1; i++) {
            Ink.blob(g, Ink.oval(xs[i], eave(xs[i]) + 1, 1.8, 1.8), Ink.RED, Ink.LINE, 0.6);
        }
    }

    /** Height of the roof's lower edge at x. */
    private static double eave(double x) {
        return 25 - 14 * (1 - Math.abs(x - 39.5) / 37.5);
    }

    /** Coloured bulbs along the eaves and the hut's base; they blink in a chase over the six frames. */
    private static void lights(Graphics2D g, int frame) {
        int i = 0;
        for (double x = 5; x <= 75; x += 5.8, i++) {
            bulb(g, x, eave(x) + 2.5, i, frame);
        }
        for (double x = 29; x <= 71; x += 6, i++) {
            bulb(g, x, 49, i, frame);
        }
    }

    private static void bulb(Graphics2D g, double x, double y, int i, int frame) {
        Color c = BULBS[i % BULBS.length];
        boolean lit = (i + frame) % 3 != 0;
        if (lit) {
            Ink.fill(g, Ink.oval(x, y, 3.2, 3.2), Ink.fade(c, 0.4));
            Ink.blob(g, Ink.oval(x, y, 1.6, 1.9), Ink.mix(c, Color.WHITE, 0.45), Ink.LINE, 0.5);
        } else {
            Ink.blob(g, Ink.oval(x, y, 1.4, 1.7), Ink.mix(c, Ink.LINE, 0.55), Ink.LINE, 0.5);
        }
    }

    private static void roofStar(Graphics2D g, int frame) {
        double s = frame % 2 == 0 ? 1.0 : 0.85;
        Ink.fill(g, Ink.oval(39.5, 5, 6 * s, 6 * s), Ink.fade(Ink.GOLD, 0.35));
        Ink.blob(g, Gun.starShape(39.5, 5.5, 5.5 * s, 2.3 * s), Ink.GOLD, Ink.GOLD_DARK, 0.8);
    }
}
