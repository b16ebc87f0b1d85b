package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.geom.AffineTransform;
import java.awt.geom.Path2D;
import java.util.Random;

/** Sleighs, flying right: the elves' green sleigh, Santa's red one, and both tumbling down in flames. */
final class Sleighs {
    private static final Color ELF_BODY = new Color(0x2f8f4e);
    private static final Color ELF_BODY_DARK = new Color(0x1b5e32);
    private static final Color SANTA_BODY = new Color(0xd02a30);
    private static final Color SANTA_BODY_DARK = new Color(0x8a1420);

    private Sleighs() {
    }

    /** Two elves riding, ready to jump; the rein meets the curled prow at the middle row. */
    static void elfSleigh(Graphics2D g, int frame, int frames) {
        Elf back = new Elf(20, 21).view(Elf.SIDE).arms(60, 30, 20, 20).legs(80, 80, 80, 80);
        back.draw(g);
        Elf front = new Elf(35, 21).view(Elf.SIDE).arms(100, 70, 10, 20).legs(80, 80, 80, 80);
        front.draw(g);
        body(g, 3, 0, 1.0, ELF_BODY, ELF_BODY_DARK, Ink.RED);
    }

    /**
     * A sleigh body 56 wide scaled by s, its bottom line at oy + 30 s: a high scrolled back, a low
     * seat and a prow that curls up, on gold runners.
     */
    private static void body(Graphics2D g, double ox, double oy, double s, Color fill, Color dark, Color trim) {
        AffineTransform saved = g.getTransform();
        g.translate(ox, oy);
        g.scale(s, s);
        Path2D runner = new Path2D.Double();
        runner.moveTo(2, 35);
        runner.lineTo(50, 35);
        runner.curveTo(57, 35, 60, 30, 57, 25);
        runner.curveTo(55, 22, 52, 24, 53.5, 26.5);
        Ink.line(g, runner, Ink.LINE, 3.6);
        Ink.line(g, runner, Ink.GOLD, 1.8);
        for (double x : new double[] {12, 38}) {
            Ink.line(g, Ink.path(x, 30, x, 35), Ink.LINE, 2.6);
            Ink.line(g, Ink.path(x, 30, x, 35), Ink.GOLD_DARK, 1.2);
        }
        Path2D shell = new Path2D.Double();
        shell.moveTo(1, 10);
        shell.curveTo(0, 4, 8, 2, 9, 8);
        shell.curveTo(10, 14, 12, 18, 20, 19);
        shell.lineTo(40, 19);
        shell.curveTo(46, 19, 50, 14, 55, 12);
        shell.curveTo(60, 11, 61, 17, 57, 19);
        shell.curveTo(53, 24, 52, 30, 44, 31);
        shell.lineTo(8, 31);
        shell.curveTo(3, 31, 1, 22, 1, 10);
        shell.closePath();
        g.setPaint(new GradientPaint(0, 8, fill, 0, 31, dark));
        g.fill(shell);
        Ink.line(g, shell, Ink.LINE, 1.4);
        Path2D stripe = Ink.path(4, 14, 8, 24, 14, 26, 44, 26, 50, 22, 55, 16);
        Ink.line(g, stripe, trim, 2.2);
        Ink.line(g, stripe, Ink.GOLD, 0.9);
        Path2D scroll = Ink.path(5, 9, 4, 6, 6, 5, 7, 7.5);
        Ink.line(g, scroll, Ink.GOLD, 1.3);
        Ink.fill(g, Ink.oval(57, 15, 1.6, 1.6), Ink.GOLD);
        g.setTransform(saved);
    }

    /** Santa at the reins, his sack of presents behind him. */
    static void santa(Graphics2D g, int frame, int frames) {
        sack(g);
        santaFigure(g);
        body(g, 0, 18, 1.1, SANTA_BODY, SANTA_BODY_DARK, Ink.GREEN_DARK);
        Ink.line(g, Ink.path(44, 30, 56, 33, 64, 31), Ink.LINE, 1.0);
    }

    private static void sack(Graphics2D g) {
        Ink.blob(g, Ink.round(3, 14, 12, 11, 2), Ink.GREEN, Ink.LINE, 1.0);
        Ink.line(g, Ink.path(9, 14, 9, 25), Ink.GOLD, 1.2);
        Ink.blob(g, Ink.round(12, 10, 10, 10, 2), Ink.BLUE, Ink.LINE, 1.0);
        Ink.line(g, Ink.path(17, 10, 17, 20), Ink.RED, 1.2);
        Ink.blob(g, Ink.smooth(2, 24, 5, 15, 14, 17, 22, 20, 24, 30, 12, 33), new Color(0x9a6a3a), Ink.LINE, 1.2);
        Ink.line(g, Ink.path(7, 22, 10, 25, 13, 23), new Color(0x6a4220), 0.9);
    }

    private static void santaFigure(Graphics2D g) {
        Ink.blob(g, Ink.smooth(22, 36, 21, 22, 28, 15, 38, 16, 44, 24, 44, 36), Ink.RED, Ink.LINE, 1.3);
        Ink.fill(g, Ink.round(22, 29, 22, 4, 2), Ink.LINE);
        Ink.blob(g, Ink.round(31, 28.6, 5, 4.8, 1), Ink.GOLD, Ink.LINE, 0.7);
        Ink.line(g, Ink.path(36, 22, 43, 26, 49, 27), Ink.LINE, 5.2);
        Ink.line(g, Ink.path(36, 22, 43, 26, 49, 27), Ink.RED, 3.4);
        Ink.blob(g, Ink.oval(50, 27.5, 2.4, 2.2), Ink.LINE, Ink.LINE, 0.6);
        Ink.blob(g, Ink.oval(35, 12, 6, 6), Ink.SKIN, Ink.LINE, 1.2);
        Ink.blob(g, Ink.smooth(29, 12, 33, 15, 38, 13.5, 42, 12.5, 41, 19, 36, 24, 31, 21), Ink.SNOW, Ink.LINE, 1.0);
        Ink.fill(g, Ink.oval(40.5, 12, 1.8, 1.5), new Color(0xf08a7a));
        Ink.blob(g, Ink.smooth(37, 14.5, 40, 13.2, 43, 14.5, 40, 15.5), Ink.SNOW, null, 0);
        Ink.fill(g, Ink.oval(38.2, 9.8, 0.9, 1.0), Ink.LINE);
        Path2D hat = new Path2D.Double();
        hat.moveTo(29, 9);
        hat.curveTo(30, 1, 38, 0, 41, 7);
        hat.lineTo(41, 8);
        hat.lineTo(29, 9);
        hat.moveTo(31, 5);
        hat.curveTo(27, 2, 24, 3, 22, 7);
        hat.lineTo(26, 8);
        Ink.blob(g, Ink.smooth(29, 9, 31, 2, 36, 0.5, 41, 6, 35, 6, 28, 4, 23.5, 7, 26, 3), Ink.RED, Ink.LINE, 1.1);
        Ink.blob(g, Ink.round(28, 6.5, 14, 3.6, 3), Ink.SNOW, Ink.LINE, 0.9);
        Ink.blob(g, Ink.oval(23.5, 7.5, 2.2, 2.2), Ink.SNOW, Ink.LINE, 0.8);
    }

    static void elfWreck(Graphics2D g, int frame, int frames) {
        wreck(g, frame, frames, 81, 79, 31.5, 20, Sleighs::elfSleigh, "SleighCrashing");
    }

    static void santaWreck(Graphics2D g, int frame, int frames) {
        wreck(g, frame, frames, 102, 107, 32, 31, Sleighs::santa, "SantaCrashing");
    }

    /** The flying picture tumbling a full turn over the loop, trailing flame and debris. */
    private static void wreck(Graphics2D g, int frame, int frames, int w, int h, double cx, double cy,
            Painter sleigh, String seed) {
        Random r = Ink.dice(seed, frame);
        flames(g, w / 2.0, h / 2.0, r, frame, Math.min(w, h) * 0.34);
        AffineTransform saved = g.getTransform();
        g.translate(w / 2.0, h / 2.0);
        g.rotate(Math.toRadians(20 + 360.0 * frame / frames));
        g.translate(-cx, -cy);
        sleigh.paint(g, 0, 1);
        g.setTransform(saved);
        flames(g, w / 2.0 - 4, h / 2.0 - 2, r, frame, Math.min(w, h) * 0.16);
        for (int i = 0; i < 4; i++) {
            double a = r.nextDouble() * 2 * Math.PI;
            double d = Math.min(w, h) * (0.3 + r.nextDouble() * 0.15);
            Elves.sparkle(g, w / 2.0 + Math.cos(a) * d, h / 2.0 + Math.sin(a) * d, 2 + r.nextDouble() * 2);
        }
    }

    /** Flickering flame tongues streaming up and back from the wreck's middle. */
    private static void flames(Graphics2D g, double x, double y, Random r, int frame, double size) {
        Color[] heat = {new Color(0xff5a1a), new Color(0xffa21a), new Color(0xffe46a)};
        for (int layer = 0; layer < 3; layer++) {
            double scale = 1 - layer * 0.3;
            for (int i = 0; i < 5; i++) {
                double a = Math.toRadians(200 + r.nextDouble() * 70);
                double len = size * scale * (0.7 + r.nextDouble() * 0.5);
                double tipX = x + Math.cos(a) * len;
                double tipY = y + Math.sin(a) * len;
                double wide = size * 0.22 * scale;
                Ink.fill(g, Ink.smooth(x - wide, y, tipX, tipY, x + wide, y, x, y + wide), heat[layer]);
            }
        }
    }
}
