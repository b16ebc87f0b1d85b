package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.Shape;
import java.awt.geom.AffineTransform;

/** Shared pieces of the panels: buttons, framed boards, the maker's logo, holly and key caps. */
final class Chrome {
    static final Color BUTTON_RED = new Color(0xc8242c);
    static final Color BUTTON_GREEN = new Color(0x23844a);
    static final Color BOARD = new Color(0x14224e);

    private Chrome() {
    }

    /** A raised button filling the inclusive pixel rectangle x0..x1, y0..y1, its label centred. */
    static void button(Graphics2D g, int x0, int y0, int x1, int y1, String label, Color face) {
        double w = x1 - x0 + 1;
        double h = y1 - y0 + 1;
        Shape outer = Ink.round(x0 + 0.5, y0 + 0.5, w - 1, h - 1, 16);
        g.setPaint(new GradientPaint(0, y0, Ink.mix(face, Color.WHITE, 0.25), 0, y1, Ink.mix(face, Ink.LINE, 0.3)));
        g.fill(outer);
        Ink.line(g, Ink.round(x0 + 3, y0 + 3, w - 6, h - 6, 12), Ink.GOLD, 2);
        Ink.line(g, outer, Ink.LINE, 1.5);
        Ink.fill(g, Ink.round(x0 + 6, y0 + 5, w - 12, h * 0.28, 8), Ink.fade(Color.WHITE, 0.18));
        g.setFont(fit(g, label, w - 16, Math.min(22, h * 0.42)));
        FontMetrics fm = g.getFontMetrics();
        double base = y0 + h / 2 + fm.getAscent() * 0.36;
        Ink.outlinedText(g, label, x0 + w / 2, base, Color.WHITE, Ink.LINE, 2.6);
    }

    /** The largest bold font up to size whose rendering of the text fits in width. */
    static Font fit(Graphics2D g, String text, double width, double size) {
        Font f = Ink.font(false, Font.BOLD, size);
        while (size > 8 && g.getFontMetrics(f).stringWidth(text) > width) {
            size -= 0.5;
            f = Ink.font(false, Font.BOLD, size);
        }
        return f;
    }

    /** A night-blue board with a double gold rim, for the small panels shown over the game. */
    static void board(Graphics2D g, int w, int h) {
        g.setPaint(new GradientPaint(0, 0, new Color(0x1d3068), 0, h, new Color(0x0c1638)));
        g.fillRect(0, 0, w, h);
        Scenery.stars(g, Ink.dice("board" + w, 0), w, h, w * h / 6000);
        g.setColor(Ink.GOLD);
        g.setStroke(new java.awt.BasicStroke(3));
        g.drawRect(2, 2, w - 5, h - 5);
        g.setStroke(new java.awt.BasicStroke(1));
        g.setColor(Ink.GOLD_DARK);
        g.drawRect(6, 6, w - 13, h - 13);
    }

    /** A sprig of two holly leaves and three berries centred at (x, y). */
    static void holly(Graphics2D g, double x, double y, double s) {
        for (int side = -1; side <= 1; side += 2) {
            Shape leaf = Ink.smooth(0, 0, 4, -3, 8, -2, 11, -5, 13, -1, 16, 0, 13, 2, 11, 5, 8, 2, 4, 3);
            AffineTransform t = new AffineTransform();
            t.translate(x, y);
            t.scale(side * s, s);
            t.rotate(Math.toRadians(-15));
            Ink.blob(g, t.createTransformedShape(leaf), Ink.GREEN, Ink.LINE, 1.0);
        }
        for (int i = 0; i < 3; i++) {
            Ink.blob(g, Ink.oval(x - 2.5 * s + i * 2.5 * s, y + (i == 1 ? -2 : 1) * s, 2.4 * s, 2.4 * s), Ink.RED,
                    Ink.LINE, 0.9);
        }
    }

    /** The maker's logo in the inclusive rectangle: a lit candle beside the name on a cream badge. */
    static void logo(Graphics2D g, int x0, int y0, int x1, int y1) {
        double w = x1 - x0 + 1;
        double h = y1 - y0 + 1;
        Ink.blob(g, Ink.round(x0 + 1, y0 + 1, w - 2, h - 2, 22), new Color(0xfff3d6), Ink.LINE, 2);
        Ink.line(g, Ink.round(x0 + 5, y0 + 5, w - 10, h - 10, 16), Ink.RED, 2);
        double cx = x0 + h * 0.36;
        double cy = y0 + h * 0.5;
        candle(g, cx, cy, h * 0.7);
        g.setColor(Ink.RED_DARK);
        g.setFont(fit(g, "TALLOWFEN", w - h * 0.72 - 10, h * 0.3));
        FontMetrics fm = g.getFontMetrics();
        double textX = x0 + h * 0.66 + (w - h * 0.66 - 8) / 2;
        Ink.centred(g, "TALLOWFEN", textX, cy + fm.getAscent() * 0.2);
        g.setColor(Ink.GREEN_DARK);
        g.setFont(Ink.font(true, Font.ITALIC, h * 0.17));
        Ink.centred(g, "games", textX, cy + h * 0.3);
    }

    /** A tallow candle of the given height centred at (x, y), its flame included. */
    static void candle(Graphics2D g, double x, double y, double h) {
        double top = y - h * 0.15;
        double bw = h * 0.13;
        Ink.blob(g, Ink.round(x - bw, top, 2 * bw, h * 0.6, bw * 0.5), new Color(0xfbf6e8), Ink.LINE, 1.4);
        Ink.fill(g, Ink.smooth(x - bw, top + 2, x - bw * 0.3, top + 1, x - bw * 0.5, top + h * 0.2), new Color(0xe8dcc0));
        Ink.blob(g, Ink.round(x - bw * 1.8, top + h * 0.58, bw * 3.6, h * 0.1, 4), Ink.GOLD, Ink.LINE, 1.2);
        Ink.line(g, Ink.path(x, top, x, top - h * 0.06), Ink.LINE, 1.2);
        Ink.fill(g, Ink.oval(x, top - h * 0.2, h * 0.11, h * 0.18), Ink.fade(Ink.GOLD, 0.35));
        Ink.blob(g, Ink.smooth(x, top - h * 0.36, x + h * 0.07, top - h * 0.16, x, top - h * 0.06,
                x - h * 0.07, top - h * 0.16), new Color(0xffb43a), Ink.LINE, 1.0);
        Ink.fill(g, Ink.oval(x, top - h * 0.13, h * 0.03, h * 0.06), new Color(0xfff4c0));
        for (int i = 0; i < 3; i++) {
            double rx = x + h * (0.22 + i * 0.08);
            Ink.line(g, Ink.path(rx, y + h * 0.45, rx - 2 + i * 2, y + h * (0.05 + i * 0.05)), Ink.GREEN_DARK, 1.6);
        }
    }

    /** A keyboard key cap with a label. */
    static void key(Graphics2D g, double x, double y, double w, double h, String label) {
        Ink.blob(g, Ink.round(x, y, w, h, 8), new Color(0xdfe3ec), Ink.LINE, 1.5);
        Ink.fill(g, Ink.round(x + 3, y + 2, w - 6, h - 8, 6), new Color(0xf6f8fc));
        g.setColor(Ink.LINE);
        g.setFont(Ink.font(false, Font.BOLD, h * 0.45));
        Ink.centred(g, label, x + w / 2, y + h * 0.6);
    }

    /** Draws a picture's painter at (x, y) scaled by s, for artwork built from the game's own sprites. */
    static void sprite(Graphics2D g, Painter p, int frame, int frames, double x, double y, double s) {
        AffineTransform saved = g.getTransform();
        g.translate(x, y);
        g.scale(s, s);
        p.paint(g, frame, frames);
        g.setTransform(saved);
    }
}
