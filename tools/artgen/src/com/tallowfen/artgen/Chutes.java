package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.geom.Area;
import java.awt.geom.Path2D;

/** The elves' red-and-white striped canopies. */
final class Chutes {
    private Chutes() {
    }

    static void open(Graphics2D g, int frame, int frames) {
        canopy(g, 16, 15, 11, 0);
    }

    /** Unfurling: a narrow bundle that widens and flattens into the full canopy. */
    static void opening(Graphics2D g, int frame, int frames) {
        double[] rx = {4, 8, 12, 14.5};
        double[] ry = {11, 10.5, 10.5, 11};
        canopy(g, 16, rx[frame], ry[frame], 3 - frame);
    }

    /** A dome of eight gores with a scalloped rim at the picture's foot; wobble creases a half-open one. */
    private static void canopy(Graphics2D g, double cx, double rx, double ry, double wobble) {
        double base = 12;
        Path2D dome = new Path2D.Double();
        dome.moveTo(cx - rx, base);
        dome.curveTo(cx - rx, base - ry * 1.25, cx + rx, base - ry * 1.25, cx + rx, base);
        int gores = 6;
        for (int i = gores; i > 0; i--) {
            double x0 = cx - rx + 2 * rx * i / gores;
            double x1 = cx - rx + 2 * rx * (i - 1) / gores;
            dome.quadTo((x0 + x1) / 2, base - 2.2 - wobble * (i % 2), x1, base);
        }
        dome.closePath();
        Ink.fill(g, dome, Ink.SNOW);
        Area clip = new Area(dome);
        for (int i = 0; i < gores; i += 2) {
            double x0 = cx - rx + 2 * rx * i / gores;
            double x1 = cx - rx + 2 * rx * (i + 1) / gores;
            Area stripe = new Area(Ink.poly(cx, base - ry * 1.2, x0, base + 1, x1, base + 1));
            stripe.intersect(clip);
            Ink.fill(g, stripe, Ink.RED);
        }
        Ink.fill(g, Ink.oval(cx - rx * 0.35, base - ry * 0.6, rx * 0.25, ry * 0.18), Ink.fade(Color.WHITE, 0.5));
        Ink.line(g, dome, Ink.LINE, 1.1);
    }

    /** Torn to ribbons: a ragged canopy with holes and streamers trailing down. */
    static void shredded(Graphics2D g, int frame, int frames) {
        Area dome = new Area(Ink.smooth(2, 14, 6, 5, 16, 2, 26, 5, 30, 14, 24, 12, 19, 16, 13, 11, 8, 15));
        dome.subtract(new Area(Ink.oval(12, 8, 2.5, 2)));
        dome.subtract(new Area(Ink.oval(22, 9, 2, 1.6)));
        Ink.blob(g, dome, Ink.RED, Ink.LINE, 1.1);
        for (int i = 0; i < 5; i++) {
            double x = 4 + i * 6;
            Path2D rag = Ink.path(x, 13, x + 2 * ((i % 2) * 2 - 1), 20, x - 1, 26 + i % 3 * 2);
            Ink.line(g, rag, Ink.LINE, 2.6);
            Ink.line(g, rag, i % 2 == 0 ? Ink.SNOW : Ink.RED, 1.4);
        }
    }
}
