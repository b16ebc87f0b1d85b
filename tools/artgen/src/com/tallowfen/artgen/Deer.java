package com.tallowfen.artgen;

import java.awt.BasicStroke;
import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.geom.AffineTransform;
import java.awt.geom.Path2D;

/** The reindeer that pull the sleighs, drawn facing right, and the rein between them. */
final class Deer {
    private static final Color HARNESS = new Color(0xc0262e);

    private Deer() {
    }

    /** One harness strap with two sleigh bells; the same picture serves both directions. */
    static void rein(Graphics2D g, int frame, int frames) {
        Ink.fill(g, Ink.round(0, 0.8, 58, 2.4, 2), Ink.LINE);
        Ink.fill(g, Ink.round(0.5, 1.2, 57, 1.2, 1), HARNESS);
        for (double x : new double[] {19, 39}) {
            Ink.blob(g, Ink.oval(x, 2, 1.8, 1.8), Ink.GOLD, Ink.LINE, 0.6);
        }
    }

    /** A flying gallop in ten frames: legs reach out and tuck in, the body rocks. */
    static void gallop(Graphics2D g, int frame, int frames) {
        double p = 2 * Math.PI * frame / frames;
        drawDeer(g, 23.5, 23 + Math.sin(p) * 1.2, Math.sin(p) * 4, p, false);
    }

    /** Hit: tumbling end over end, legs splayed, eyes crossed out. */
    static void blasted(Graphics2D g, int frame, int frames) {
        AffineTransform saved = g.getTransform();
        g.rotate(Math.toRadians(-60 * frame), 20, 22.5);
        g.translate(20, 22.5);
        g.scale(0.85, 0.85);
        g.translate(-23.5, -23);
        drawDeer(g, 23.5, 23, 0, 0, true);
        g.setTransform(saved);
        Elves.sparkle(g, 5 + (frame * 7) % 28, 5 + (frame * 11) % 30, 2.5);
        Elves.sparkle(g, 30 - (frame * 5) % 24, 38 - (frame * 3) % 20, 2);
    }

    /** The deer with its chest strap on the row y, the strap the reins meet. */
    private static void drawDeer(Graphics2D g, double cx, double y, double rock, double phase, boolean hit) {
        AffineTransform saved = g.getTransform();
        g.rotate(Math.toRadians(-rock), cx, y);
        double s = Math.sin(phase);
        double c = Math.cos(phase);
        leg(g, cx + 9, y + 4, hit ? 80 : 55 + 45 * s, hit ? 20 : 40 + 40 * c, true);
        leg(g, cx - 9, y + 3, hit ? -70 : -50 + 40 * s, hit ? -10 : -40 - 30 * c, true);
        tail(g, cx - 14, y - 3);
        Path2D body = new Path2D.Double();
        body.append(Ink.smooth(cx - 14, y - 2, cx - 6, y - 6, cx + 6, y - 6.5, cx + 13, y - 4, cx + 15, y + 2,
                cx + 8, y + 7, cx - 4, y + 7.5, cx - 13, y + 5), false);
        Ink.blob(g, body, Ink.FUR, Ink.LINE, 1.3);
        Ink.fill(g, Ink.smooth(cx - 8, y + 4.5, cx + 2, y + 5.5, cx + 10, y + 3.5, cx + 3, y + 7, cx - 6, y + 7),
                Ink.FUR_LIGHT);
        neckAndHead(g, cx, y, hit);
        leg(g, cx + 11, y + 4, hit ? 100 : 65 + 45 * s, hit ? 30 : 30 + 40 * c, false);
        leg(g, cx - 7, y + 4, hit ? -90 : -40 + 40 * s, hit ? -20 : -50 - 30 * c, false);
        Ink.fill(g, Ink.round(cx - 12, y - 1.2, 25, 2.6, 1.5), Ink.LINE);
        Ink.fill(g, Ink.round(cx - 11.5, y - 0.7, 24, 1.6, 1), HARNESS);
        for (int i = 0; i < 4; i++) {
            Ink.fill(g, Ink.oval(cx - 8 + i * 6, y + 0.1, 0.7, 0.7), Ink.GOLD);
        }
        g.setTransform(saved);
    }

    /** A two-part leg from the hip at angle a (0 down, positive forward) with the knee bent by k. */
    private static void leg(Graphics2D g, double x, double y, double a, double k, boolean far) {
        double r1 = Math.toRadians(a);
        double kx = x + Math.sin(r1) * 7.5;
        double ky = y + Math.cos(r1) * 7.5;
        double r2 = Math.toRadians(a - k);
        double fx = kx + Math.sin(r2) * 7;
        double fy = ky + Math.cos(r2) * 7;
        Path2D p = Ink.path(x, y, kx, ky, fx, fy);
        Color fur = far ? Ink.mix(Ink.FUR, Ink.LINE, 0.35) : Ink.FUR;
        g.setStroke(new BasicStroke(4.2f, BasicStroke.CAP_ROUND, BasicStroke.JOIN_ROUND));
        g.setColor(Ink.LINE);
        g.draw(p);
        g.setStroke(new BasicStroke(2.6f, BasicStroke.CAP_ROUND, BasicStroke.JOIN_ROUND));
        g.setColor(fur);
        g.draw(p);
        Ink.blob(g, Ink.oval(fx, fy, 1.6, 1.3), Ink.LINE, null, 0);
    }

    private static void tail(Graphics2D g, double x, double y) {
        Ink.blob(g, Ink.smooth(x, y, x - 4, y - 3, x - 3, y + 1), Ink.FUR_LIGHT, Ink.LINE, 1.0);
    }

    /** Neck rising forward to a head with a muzzle, a red collar with a bell, and branching antlers. */
    private static void neckAndHead(Graphics2D g, double cx, double y, boolean hit) {
        Ink.blob(g, Ink.poly(cx + 7, y - 4, cx + 12, y - 14, cx + 17, y - 13, cx + 15, y + 1), Ink.FUR, Ink.LINE, 1.2);
        Ink.fill(g, Ink.poly(cx + 8.5, y - 3.5, cx + 12.5, y - 12, cx + 15, y - 11, cx + 14, y), Ink.FUR);
        double hx = cx + 15.5;
        double hy = y - 15;
        antler(g, hx - 1, hy - 3, -1);
        antler(g, hx + 1.5, hy - 3.5, 1);
        Ink.blob(g, Ink.poly(hx - 3.5, hy - 2, hx - 6.5, hy - 6, hx - 1.5, hy - 3.5), Ink.FUR_DARK, Ink.LINE, 0.9);
        Ink.blob(g, Ink.smooth(hx - 4, hy - 1, hx, hy - 4.5, hx + 4, hy - 3, hx + 8.5, hy + 0.5, hx + 8, hy + 3,
                hx + 2, hy + 3.5, hx - 3, hy + 2.5), Ink.FUR, Ink.LINE, 1.2);
        Ink.fill(g, Ink.oval(hx + 7.8, hy + 0.8, 1.8, 1.6), Ink.LINE);
        if (hit) {
            Ink.line(g, Ink.path(hx + 0.5, hy - 2.3, hx + 3, hy + 0.2), Ink.LINE, 0.9);
            Ink.line(g, Ink.path(hx + 3, hy - 2.3, hx + 0.5, hy + 0.2), Ink.LINE, 0.9);
        } else {
            Ink.fill(g, Ink.oval(hx + 1.8, hy - 1.2, 1.1, 1.2), Ink.LINE);
            Ink.fill(g, Ink.oval(hx + 2.1, hy - 1.6, 0.4, 0.4), Color.WHITE);
        }
        Ink.blob(g, Ink.round(cx + 10, y - 8, 7, 2.6, 2), HARNESS, Ink.LINE, 0.7);
        Ink.blob(g, Ink.oval(cx + 14.5, y - 4.8, 1.7, 1.7), Ink.GOLD, Ink.LINE, 0.6);
    }

    private static void antler(Graphics2D g, double x, double y, int side) {
        Path2D a = Ink.path(x, y, x + side * 1.5 - 1.5, y - 5, x + side * 1 - 3, y - 9);
        a.append(Ink.path(x + side * 1.5 - 1.5, y - 5, x + side * 3.5, y - 7.5), false);
        a.append(Ink.path(x + side * 0.8 - 2, y - 7.5, x + side * 1.5 - 0.5, y - 11), false);
        Ink.line(g, a, Ink.LINE, 2.6);
        Ink.line(g, a, Ink.ANTLER, 1.3);
    }
}
