package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.Shape;
import java.awt.geom.AffineTransform;
import java.awt.geom.Area;
import java.awt.geom.Path2D;
import java.util.Random;

/** The player's flak gun: the turned turret, the pedestal with its ladder, and the tree it becomes. */
final class Gun {
    /** Barrel pivot: the frame's centre, where the game places the gun. */
    private static final double PX = 35;
    private static final double PY = 32;

    private Gun() {
    }

    /** Heading in degrees clockwise from up: frame 0 points left, 16 up, 31 right, 6 degrees apart. */
    static double heading(int frame) {
        return frame < 16 ? 270 + 6 * frame : 6 * (frame - 16);
    }

    static void turret(Graphics2D g, int frame, int frames) {
        double a = Math.toRadians(heading(frame));
        barrel(g, Math.sin(a), -Math.cos(a));
        housing(g);
    }

    private static void barrel(Graphics2D g, double dx, double dy) {
        AffineTransform t = new AffineTransform(dx, dy, -dy, dx, PX, PY);
        Shape tube = t.createTransformedShape(Ink.round(2, -3.2, 26, 6.4, 3));
        Shape brake = t.createTransformedShape(Ink.round(24, -4.3, 7, 8.6, 2.5));
        Shape band = t.createTransformedShape(Ink.round(17, -3.4, 3, 6.8, 1));
        Shape shine = t.createTransformedShape(Ink.round(10, -2.2, 15, 1.4, 1));
        Ink.blob(g, tube, Ink.STEEL, Ink.LINE, 1.3);
        Ink.fill(g, shine, Ink.STEEL_LIGHT);
        Ink.blob(g, band, Ink.RED, Ink.LINE, 0.8);
        Ink.blob(g, brake, Ink.STEEL_DARK, Ink.LINE, 1.3);
        Ink.fill(g, t.createTransformedShape(Ink.oval(30.4, 0, 0.9, 2.4)), Ink.LINE);
    }

    /** The armoured dome the barrel turns in, sitting on a ring that meets the pedestal. */
    private static void housing(Graphics2D g) {
        Area body = new Area(Ink.oval(PX, PY + 9, 18, 12));
        body.add(new Area(Ink.round(PX - 18, PY + 9, 36, 11, 4)));
        g.setPaint(new GradientPaint(20, 20, new Color(0x6f8a5a), 50, 55, new Color(0x3c5034)));
        g.fill(body);
        Ink.line(g, body, Ink.LINE, 1.4);
        Ink.fill(g, Ink.oval(PX - 7, PY + 2, 6, 3), Ink.fade(Color.WHITE, 0.28));
        Ink.blob(g, Ink.round(PX - 22, PY + 17, 44, 8, 4), Ink.STEEL_DARK, Ink.LINE, 1.3);
        for (int i = 0; i < 7; i++) {
            Ink.fill(g, Ink.oval(PX - 18 + i * 6, PY + 21, 1.1, 1.1), Ink.STEEL_LIGHT);
        }
        Ink.blob(g, Ink.oval(PX, PY + 11, 4.5, 4.5), Ink.SNOW, Ink.LINE, 1.0);
        Ink.fill(g, Ink.oval(PX, PY + 11, 2.6, 2.6), Ink.RED);
    }

    /** The pedestal: a stone tower with a snowy top and a ladder up its middle. */
    static void base(Graphics2D g, int frame, int frames) {
        Shape tower = Ink.poly(8, 6, 48, 6, 53, 67, 3, 67);
        g.setPaint(new GradientPaint(0, 0, new Color(0x8c90a0), 56, 0, new Color(0x545a6e)));
        g.fill(tower);
        g.setColor(new Color(0x3e4356));
        for (int row = 0; row < 6; row++) {
            double y = 14 + row * 10;
            g.draw(Ink.path(5 + row * 0.8 - 2, y, 51 - row * 0.8 + 2, y));
            for (int k = 0; k < 4; k++) {
                double x = 10 + k * 12 + (row % 2) * 6;
                g.draw(Ink.path(x, y - 10, x, y));
            }
        }
        Ink.line(g, tower, Ink.LINE, 1.4);
        Ink.blob(g, Ink.smooth(4, 7, 12, 1, 28, 3, 44, 1, 52, 7, 40, 10, 28, 8, 16, 10), Ink.SNOW, Ink.LINE, 1.0);
        ladder(g);
    }

    private static void ladder(Graphics2D g) {
        Ink.fill(g, Ink.poly(21, 9, 35, 9, 35, 67, 21, 67), new Color(0x2b2e3c));
        for (int y = 14; y < 66; y += 6) {
            Ink.blob(g, Ink.round(21, y, 14, 2.2, 1), Ink.WOOD, Ink.LINE, 0.6);
        }
        Ink.blob(g, Ink.round(19.5, 6, 3, 61, 1.5), Ink.WOOD, Ink.LINE, 0.8);
        Ink.blob(g, Ink.round(33.5, 6, 3, 61, 1.5), Ink.WOOD, Ink.LINE, 0.8);
    }

    /** A five-pointed star centred on (x, y). */
    static Shape starShape(double x, double y, double outer, double inner) {
        double[] xy = new double[20];
        for (int i = 0; i < 10; i++) {
            double r = i % 2 == 0 ? outer : inner;
            double a = Math.PI * i / 5 - Math.PI / 2;
            xy[2 * i] = x + r * Math.cos(a);
            xy[2 * i + 1] = y + r * Math.sin(a);
        }
        return Ink.poly(xy);
    }

    /** The gun turned Christmas tree: snowy tiers, tinsel, baubles and lights twinkling in turn. */
    static void tree(Graphics2D g, int frame, int frames) {
        Ink.blob(g, Ink.round(33, 112, 12, 20, 2), Ink.WOOD, Ink.LINE, 1.2);
        Ink.blob(g, Ink.poly(22, 122, 56, 122, 52, 135, 26, 135), Ink.RED, Ink.LINE, 1.2);
        Ink.fill(g, Ink.round(22, 122, 34, 3, 2), Ink.GOLD);
        double[][] tiers = {{14, 48, 19}, {32, 74, 26}, {52, 98, 32}, {72, 118, 37}};
        for (double[] t : tiers) {
            tier(g, t[0], t[1], t[2]);
        }
        Random r = Ink.dice("XmasTreeBaubles", 0);
        Color[] baubles = {Ink.RED, Ink.GOLD, Ink.BLUE, Ink.PURPLE, new Color(0xe0e6f0)};
        for (int i = 0; i < 12; i++) {
            double[] p = onTree(r);
            Ink.blob(g, Ink.oval(p[0], p[1], 2.6, 2.6), baubles[i % baubles.length], Ink.LINE, 0.7);
            Ink.fill(g, Ink.oval(p[0] - 0.8, p[1] - 0.9, 0.8, 0.8), Color.WHITE);
        }
        tinsel(g);
        lights(g, frame);
        double glow = 1 + 0.15 * Math.sin(2 * Math.PI * frame / frames);
        Ink.fill(g, Ink.oval(39, 10, 9 * glow, 9 * glow), Ink.fade(Ink.GOLD, 0.3));
        Ink.blob(g, starShape(39, 10.5, 9.5 * glow, 4), Ink.GOLD, Ink.GOLD_DARK, 1.0);
        Ink.fill(g, starShape(38, 9.5, 3.5, 1.5), new Color(0xfff5c8));
    }

    private static void tier(Graphics2D g, double top, double bottom, double half) {
        Path2D p = new Path2D.Double();
        p.moveTo(39, top);
        p.lineTo(39 + half, bottom - 3);
        for (int i = 5; i >= 0; i--) {
            double x = 39 - half + 2 * half * i / 6.0;
            p.quadTo(x + half / 6, bottom + 3, x, bottom - 2);
        }
        p.closePath();
        g.setPaint(new GradientPaint(20, (float) top, new Color(0x2f8a4a), 60, (float) bottom, new Color(0x155433)));
        g.fill(p);
        Ink.line(g, p, Ink.LINE, 1.2);
        Ink.fill(g, Ink.poly(39, top, 39 + half * 0.35, top + (bottom - top) * 0.3, 39, top + (bottom - top) * 0.22,
                39 - half * 0.3, top + (bottom - top) * 0.28), new Color(0xf0f4ff));
    }

    private static double[] onTree(Random r) {
        double y = 24 + r.nextDouble() * 88;
        double half = 6 + (y - 20) * 0.33;
        return new double[] {39 + (r.nextDouble() * 2 - 1) * half * 0.8, y};
    }

    private static void tinsel(Graphics2D g) {
        for (int i = 0; i < 3; i++) {
            double y = 40 + i * 24;
            double half = 12 + i * 8;
            Ink.line(g, Ink.path(39 - half, y - 4, 39 - half / 2, y + 3, 39, y + 4, 39 + half / 2, y + 2, 39 + half, y - 5),
                    Ink.GOLD, 1.6);
        }
    }

    /** Bulbs along the tiers; each has its own phase, so the tree sparkles rather than flashing at once. */
    private static void lights(Graphics2D g, int frame) {
        Random r = Ink.dice("XmasTreeLights", 0);
        Color[] colours = {new Color(0xff4a4a), new Color(0xffd34a), new Color(0x58e06a), new Color(0x5ab0ff),
            new Color(0xff7ae0)};
        for (int i = 0; i < 26; i++) {
            double[] p = onTree(r);
            int phase = r.nextInt(12);
            boolean lit = (frame + phase) % 12 < 7;
            Color c = colours[i % colours.length];
            if (lit) {
                Ink.fill(g, Ink.oval(p[0], p[1], 3.6, 3.6), Ink.fade(c, 0.45));
                Ink.fill(g, Ink.oval(p[0], p[1], 1.7, 1.7), Ink.mix(c, Color.WHITE, 0.5));
            } else {
                Ink.blob(g, Ink.oval(p[0], p[1], 1.4, 1.4), Ink.mix(c, Ink.LINE, 0.55), null, 0);
            }
        }
    }
}
