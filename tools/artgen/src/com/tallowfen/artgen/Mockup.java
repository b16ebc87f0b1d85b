package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Font;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;

/** One busy moment of play, composed from the frames at their real play-area positions and paint order. */
final class Mockup {
    private static final int INSET = 22;
    private final BufferedImage[][] frames;
    private Graphics2D g;

    Mockup(BufferedImage[][] frames) {
        this.frames = frames;
    }

    /** Draws frame k of an id centred on a play-area point, the way the game does. */
    private void put(int id, int k, double x, double y) {
        BufferedImage f = frames[id][k % frames[id].length];
        int w = f.getWidth();
        int h = f.getHeight();
        g.drawImage(f, (int) x - w / 2, (int) y - h / 2 + INSET, null);
    }

    BufferedImage compose() {
        BufferedImage shot = new BufferedImage(600, 472, BufferedImage.TYPE_INT_RGB);
        g = Ink.pen(shot);
        put(3, 0, 320, 210);
        trailSmoke();
        put(53, 3, 495, 148);
        put(46, 4, 560, 318);
        put(23, 0, 320, 379);
        put(2, 0, 300, 383);
        put(1, 22, 300, 325);
        convoys();
        ground();
        air();
        scoreLine();
        titleBar();
        g.dispose();
        return shot;
    }

    private void trailSmoke() {
        int[][] puffs = {{600, 250, 13}, {590, 268, 9}, {578, 286, 5}, {566, 302, 1}};
        for (int[] p : puffs) {
            put(48, p[2], p[0], p[1]);
        }
    }

    /** Santa's eight-reindeer team high up, an elf sleigh lower, in the game's convoy layout. */
    private void convoys() {
        double santaX = 96;
        for (int n = 0; n < 8; n++) {
            put(32, 0, santaX + 58 * (8 - n) - 32, 40);
        }
        double elfX = 430;
        for (int n = 0; n < 3; n++) {
            put(32, 0, elfX - 58 * (3 - n) + 32, 148);
        }
        for (int n = 0; n < 8; n++) {
            if (n != 3) {
                put(33, n * 3, santaX + 58 * (8 - n), 40);
            }
        }
        for (int n = 0; n < 3; n++) {
            put(34, n * 4 + 1, elfX - 58 * (3 - n), 148);
        }
        put(35, 2, 370, 20);
        put(37, 0, santaX, 40);
        put(45, 0, elfX, 148);
    }

    private void ground() {
        int[][] barracks = {{84, 7, 2}, {156, 5, 0}, {228, 4, 0}, {372, 10, 0}, {444, 8, 0}, {516, 11, 4}};
        for (int[] b : barracks) {
            put(b[1], b[2], b[0], 391);
        }
        put(56, 2, 372, 391);
        put(16, 0, 300, 420);
        put(13, 3, 300, 401);
    }

    private void air() {
        put(27, 2, 276, 196);
        put(28, 5, 414, 330);
        put(29, 3, 200, 120);
        put(30, 6, 138, 420);
        put(24, 0, 92, 227);
        put(17, 0, 92, 250);
        put(26, 2, 470, 262);
        put(17, 0, 470, 285);
        put(15, 1, 220, 250);
        put(19, 3, 350, 420);
        put(18, 5, 40, 420);
        put(20, 2, 330, 200);
        put(12, 5, 560, 420);
        put(14, 3, 520, 420);
        double heading = Math.toRadians(36);
        for (int i = 0; i < 3; i++) {
            double t = 40 + i * 48;
            put(41, 0, 300 + Math.sin(heading) * t, 331 - Math.cos(heading) * t);
        }
        put(42, 3, 304, 140);
        put(43, 2, 380, 48);
    }

    private void scoreLine() {
        g.setColor(Color.BLACK);
        g.setFont(new Font(Font.DIALOG, Font.BOLD, 24));
        g.drawString("Score: 1230", 20, 466);
        g.drawString("Hit <ESC> to pause.", 340, 466);
    }

    private void titleBar() {
        g.setColor(new Color(0xd6d9e0));
        g.fillRect(0, 0, 600, INSET);
        g.setColor(Color.BLACK);
        g.setFont(new Font(Font.DIALOG, Font.PLAIN, 12));
        g.drawString("Tallowfen: Tinsel Barrage!", 8, 15);
    }
}
