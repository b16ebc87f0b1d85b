package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Font;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.geom.Path2D;
import java.awt.image.BufferedImage;

/** The full-screen and pop-up panels, with their buttons' artwork where the game takes clicks. */
final class Panels {
    private Panels() {
    }

    /** The front screen: title, play button top right, logo bottom left, and how to play. */
    static void intro(Graphics2D g, int frame, int frames) {
        Scenery.skyGradient(g, 600, 450);
        Scenery.stars(g, Ink.dice("Intro", 0), 600, 330, 120);
        Scenery.moon(g, 70, 60, 22);
        snowHills(g, 600, 450, 352);
        convoy(g, 40, 214);
        g.setFont(Ink.font(true, Font.BOLD | Font.ITALIC, 34));
        Ink.outlinedText(g, "Tallowfen:", 240, 118, Ink.SNOW, Ink.LINE, 5);
        g.setFont(Ink.font(true, Font.BOLD, 58));
        Ink.outlinedText(g, "Tinsel Barrage!", 280, 180, Ink.GOLD, Ink.RED_DARK, 8);
        Chrome.button(g, 477, 49, 553, 108, "PLAY", Chrome.BUTTON_RED);
        Chrome.logo(g, 64, 345, 227, 430);
        controls(g);
    }

    /** Snowy hills with pines filling the lower part of a picture from about the horizon line. */
    private static void snowHills(Graphics2D g, int w, int h, int horizon) {
        Path2D far = new Path2D.Double();
        far.moveTo(0, h);
        for (int x = 0; x <= w; x += 10) {
            far.lineTo(x, horizon + 10 * Math.sin(x / 60.0) - 10);
        }
        far.lineTo(w, h);
        far.closePath();
        Ink.fill(g, far, new Color(0x9fb3dc));
        for (int x = 15; x < w; x += 37) {
            Scenery.pine(g, x + 9 * Math.sin(x), horizon + 10 * Math.sin(x / 60.0), 26 + 12 * Math.abs(Math.sin(x * 3.1)));
        }
        Path2D near = new Path2D.Double();
        near.moveTo(0, h);
        for (int x = 0; x <= w; x += 10) {
            near.lineTo(x, horizon + 30 + 8 * Math.sin(x / 45.0 + 1));
        }
        near.lineTo(w, h);
        near.closePath();
        g.setPaint(new GradientPaint(0, horizon + 20, new Color(0xdfe8f8), 0, h, Ink.SNOW));
        g.fill(near);
    }

    /** Santa's team crossing the sky, built from the game's own sprites. */
    private static void convoy(Graphics2D g, double x, double y) {
        for (int n = 0; n < 4; n++) {
            Chrome.sprite(g, Deer::rein, 0, 1, x + 64 + n * 58 - 29, y + 21, 1);
        }
        for (int n = 0; n < 4; n++) {
            Chrome.sprite(g, Deer::gallop, n * 3, 10, x + 90 + n * 58 - 23, y, 1);
        }
        Chrome.sprite(g, Sleighs::santa, 0, 1, x, y - 9, 1);
    }

    private static void controls(Graphics2D g) {
        Ink.blob(g, Ink.round(262, 340, 320, 92, 18), Ink.fade(Chrome.BOARD, 0.85), Ink.GOLD, 2);
        Chrome.key(g, 280, 352, 34, 30, "\u2190");
        Chrome.key(g, 318, 352, 34, 30, "\u2192");
        Chrome.key(g, 280, 392, 72, 30, "space");
        g.setColor(Ink.SNOW);
        g.setFont(Chrome.fit(g, "Left and Right arrows aim,", 208, 17));
        g.drawString("Left and Right arrows aim,", 364, 373);
        g.drawString("the space bar shoots.", 364, 413);
        g.setFont(Ink.font(false, Font.BOLD, 15));
        Ink.outlinedText(g, "Shoot the reindeer to bring the sleighs down.", 300, 288, Ink.SNOW, Ink.NIGHT, 3);
        Ink.outlinedText(g, "Don't let four elves climb your gun!", 300, 308, Ink.SNOW, Ink.NIGHT, 3);
    }

    /** The game-over panel: heading, then play again, report score and exit, then high scores. */
    static void gameOver(Graphics2D g, int frame, int frames) {
        Chrome.board(g, 450, 169);
        g.setFont(Ink.font(true, Font.BOLD, 34));
        Ink.outlinedText(g, "GAME OVER", 225, 44, Ink.GOLD, Ink.RED_DARK, 5);
        Chrome.holly(g, 85, 30, 1.1);
        Chrome.holly(g, 365, 30, 1.1);
        Chrome.button(g, 18, 56, 136, 99, "Play Again", Chrome.BUTTON_GREEN);
        Chrome.button(g, 165, 56, 284, 99, "Report Score", Chrome.BUTTON_RED);
        Chrome.button(g, 313, 56, 431, 99, "Exit", Chrome.BUTTON_GREEN);
        Chrome.button(g, 134, 107, 317, 151, "View High Scores", Chrome.BUTTON_RED);
        Chrome.sprite(g, Presents.falling(Presents.KIND_A), 2, 8, 40, 112, 1.1);
        Chrome.sprite(g, Presents.falling(Presents.KIND_B), 5, 8, 376, 112, 1.1);
    }

    /** The score form's backdrop: labels beside the three text fields, the news check box, three buttons. */
    static void scoreEntry(Graphics2D g, int frame, int frames) {
        Chrome.board(g, 324, 350);
        g.setFont(Ink.font(true, Font.BOLD, 15));
        Ink.outlinedText(g, "Report your score", 162, 22, Ink.GOLD, Ink.LINE, 3);
        String[] labels = {"Score:", "Name:", "E-mail address:"};
        int[] tops = {29, 61, 93};
        g.setFont(Ink.font(false, Font.BOLD, 14));
        for (int i = 0; i < 3; i++) {
            g.setColor(Ink.SNOW);
            int width = g.getFontMetrics().stringWidth(labels[i]);
            g.drawString(labels[i], 162 - width, tops[i] + 17);
            field(g, 172, tops[i], 300, tops[i] + 24);
        }
        Ink.blob(g, Ink.round(32, 135, 13, 13, 2), Color.WHITE, Ink.LINE, 1.2);
        g.setColor(Ink.SNOW);
        g.setFont(Ink.font(false, Font.PLAIN, 13));
        g.drawString("Yes, send me news of", 54, 146);
        g.drawString("Tallowfen's other games.", 54, 163);
        Chrome.button(g, 23, 198, 151, 251, "Cancel", Chrome.BUTTON_GREEN);
        Chrome.button(g, 173, 198, 301, 251, "Submit", Chrome.BUTTON_RED);
        Chrome.button(g, 23, 273, 301, 326, "View High Scores", Chrome.BUTTON_RED);
    }

    /** A sunken white well behind a text field, filling the inclusive rectangle. */
    private static void field(Graphics2D g, int x0, int y0, int x1, int y1) {
        g.setColor(Color.WHITE);
        g.fillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
        g.setColor(new Color(0x5a6480));
        g.drawLine(x0, y0, x1, y0);
        g.drawLine(x0, y0, x0, y1);
        g.setColor(new Color(0xc8cedc));
        g.drawLine(x0, y1, x1, y1);
        g.drawLine(x1, y0, x1, y1);
    }

    /** The partner's advertisement: an ice castle under the northern lights, a link button bottom right. */
    static void throneward(Graphics2D g, int frame, int frames) {
        g.setPaint(new GradientPaint(0, 0, new Color(0x081a2a), 0, 450, new Color(0x1d4a5e)));
        g.fillRect(0, 0, 600, 450);
        Scenery.stars(g, Ink.dice("Throneward", 0), 600, 300, 100);
        aurora(g);
        Path2D ice = new Path2D.Double();
        ice.moveTo(0, 450);
        for (int x = 0; x <= 600; x += 20) {
            ice.lineTo(x, 350 + 12 * Math.sin(x / 50.0));
        }
        ice.lineTo(600, 450);
        ice.closePath();
        Ink.fill(g, ice, new Color(0xcfe6f2));
        castle(g, 170, 352);
        g.setFont(Ink.font(true, Font.BOLD, 20));
        g.setColor(new Color(0xbfe8ff));
        Ink.centred(g, "Throneward presents", 430, 70);
        g.setFont(Ink.font(true, Font.BOLD, 52));
        Ink.outlinedText(g, "Crown", 430, 135, new Color(0xe8f8ff), new Color(0x1a4a7a), 6);
        Ink.outlinedText(g, "of Frost", 430, 190, new Color(0xe8f8ff), new Color(0x1a4a7a), 6);
        g.setFont(Ink.font(false, Font.PLAIN, 16));
        g.setColor(Ink.SNOW);
        Ink.centred(g, "Raise your ice fortress,", 430, 240);
        Ink.centred(g, "rally the snow knights and hold", 430, 262);
        Ink.centred(g, "the frozen throne all winter long.", 430, 284);
        Chrome.button(g, 373, 368, 584, 416, "Play Crown of Frost", new Color(0x2a6ab0));
        g.setFont(Ink.font(false, Font.BOLD, 13));
        g.setColor(new Color(0x1a3a5a));
        g.drawString("Thanks for playing Tinsel Barrage!", 20, 432);
    }

    private static void aurora(Graphics2D g) {
        Color[] bands = {new Color(0x3ae0a0), new Color(0x4ac0e0), new Color(0x8a6ae0)};
        for (int b = 0; b < 3; b++) {
            for (int x = 0; x < 600; x += 3) {
                double top = 60 + b * 28 + 30 * Math.sin(x / 90.0 + b) + 10 * Math.sin(x / 31.0);
                double len = 60 + 25 * Math.sin(x / 47.0 + b * 2);
                g.setPaint(new GradientPaint(0, (float) top, Ink.fade(bands[b], 0.0f), 0, (float) (top + len * 0.3),
                        Ink.fade(bands[b], 0.16), true));
                g.fillRect(x, (int) top, 3, (int) len);
            }
        }
    }

    /** An ice castle with towers and a crown on the keep, its foot on the line y. */
    private static void castle(Graphics2D g, double cx, double foot) {
        Color wall = new Color(0xa8d8f0);
        Color shade = new Color(0x6aa8d0);
        double[][] towers = {{-110, 150, 26}, {-60, 200, 30}, {0, 250, 38}, {60, 200, 30}, {110, 150, 26}};
        Ink.blob(g, Ink.poly(cx - 130, foot, cx - 130, foot - 90, cx + 130, foot - 90, cx + 130, foot), shade,
                new Color(0x1a4a7a), 2);
        for (double[] t : towers) {
            double x = cx + t[0];
            double top = foot - t[1];
            double hw = t[2] / 2;
            Ink.blob(g, Ink.poly(x - hw, foot, x - hw, top, x + hw, top, x + hw, foot), wall, new Color(0x1a4a7a), 2);
            Ink.blob(g, Ink.poly(x - hw - 5, top + 2, x, top - hw * 2.2, x + hw + 5, top + 2), new Color(0xe8f8ff),
                    new Color(0x1a4a7a), 2);
            Ink.blob(g, Ink.round(x - hw * 0.35, top + 20, hw * 0.7, 18, 8), new Color(0xffe48a), new Color(0x1a4a7a), 1.5);
        }
        Ink.blob(g, Ink.round(cx - 18, foot - 50, 36, 50, 30), new Color(0x2a5a8a), new Color(0x1a4a7a), 2);
        double crownY = foot - 250 - 38 * 1.1 - 26;
        Ink.blob(g, Ink.poly(cx - 18, crownY + 18, cx - 18, crownY, cx - 9, crownY + 9, cx, crownY - 4, cx + 9,
                crownY + 9, cx + 18, crownY, cx + 18, crownY + 18), Ink.GOLD, Ink.LINE, 1.5);
        for (int i = -1; i <= 1; i++) {
            Ink.fill(g, Ink.oval(cx + i * 9, crownY + 13, 2.2, 2.2), i == 0 ? Ink.RED : Ink.BLUE);
        }
    }

    /** The last screen: the maker's logo top left, thanks and greetings, a link to more games bottom left. */
    static void webGames(Graphics2D g, int frame, int frames) {
        g.setPaint(new GradientPaint(0, 0, new Color(0x7a1420), 0, 450, new Color(0x2a0810)));
        g.fillRect(0, 0, 600, 450);
        snowflakes(g);
        Chrome.logo(g, 62, 10, 225, 95);
        g.setFont(Ink.font(true, Font.BOLD | Font.ITALIC, 30));
        g.setFont(g.getFont().deriveFont((float) Math.min(30, 30 * 270.0 / g.getFontMetrics().stringWidth("Thanks for playing!"))));
        Ink.outlinedText(g, "Thanks for playing!", 150, 160, Ink.GOLD, Ink.LINE, 4);
        g.setFont(Ink.font(false, Font.PLAIN, 17));
        g.setColor(Ink.SNOW);
        Ink.centred(g, "Merry Christmas and a happy", 150, 206);
        Ink.centred(g, "New Year from all of us", 150, 228);
        Ink.centred(g, "at Tallowfen.", 150, 250);
        g.setFont(Chrome.fit(g, "There's more to play on the web:", 230, 15));
        Ink.centred(g, "There's more to play on the web:", 135, 305);
        Chrome.button(g, 27, 325, 242, 380, "More Tallowfen Games", Chrome.BUTTON_GREEN);
        Chrome.sprite(g, Gun::tree, 0, 12, 330, 40, 2.4);
        Chrome.sprite(g, Presents.falling(Presents.KIND_A), 1, 8, 300, 330, 2.2);
        Chrome.sprite(g, Presents.falling(Presents.KIND_B), 4, 8, 470, 340, 2.0);
        Chrome.sprite(g, Elves::celebrating, 3, 16, 410, 345, 2.4);
    }

    private static void snowflakes(Graphics2D g) {
        java.util.Random r = Ink.dice("VisitJava", 0);
        for (int i = 0; i < 70; i++) {
            double x = r.nextDouble() * 600;
            double y = r.nextDouble() * 450;
            double s = 1.5 + r.nextDouble() * 4;
            Color c = Ink.fade(Color.WHITE, 0.25 + r.nextDouble() * 0.35);
            for (int k = 0; k < 3; k++) {
                double a = k * Math.PI / 3;
                Ink.line(g, Ink.path(x - Math.cos(a) * s, y - Math.sin(a) * s, x + Math.cos(a) * s, y + Math.sin(a) * s),
                        c, 1.1);
            }
        }
    }

    /** The maker's flag towed on cords at both ends, waving as a travelling ripple. */
    static void flag(Graphics2D g, int frame, int frames) {
        BufferedImage cloth = new BufferedImage(62, 18, BufferedImage.TYPE_INT_ARGB);
        Graphics2D c = Ink.pen(cloth);
        c.setColor(Ink.RED);
        c.fillRect(0, 0, 62, 18);
        c.setColor(Ink.GOLD);
        c.fillRect(0, 0, 62, 2);
        c.fillRect(0, 16, 62, 2);
        c.setColor(Color.WHITE);
        c.setFont(Chrome.fit(c, "TALLOWFEN", 56, 11));
        Ink.centred(c, "TALLOWFEN", 31, 13);
        c.dispose();
        double phase = 2 * Math.PI * frame / frames;
        int[] shift = new int[62];
        for (int x = 0; x < 62; x++) {
            shift[x] = (int) Math.round(2.6 * Math.sin(x / 9.0 - phase));
        }
        Ink.line(g, Ink.path(0, 14, 10, 14 + shift[0]), Ink.LINE, 1.6);
        Ink.line(g, Ink.path(82, 14, 72, 14 + shift[61]), Ink.LINE, 1.6);
        Ink.line(g, Ink.path(0, 14, 10, 14 + shift[0]), Ink.ANTLER, 0.8);
        Ink.line(g, Ink.path(82, 14, 72, 14 + shift[61]), Ink.ANTLER, 0.8);
        for (int x = 0; x < 62; x++) {
            double slope = Math.cos(x / 9.0 - phase);
            for (int y = 0; y < 18; y++) {
                int p = cloth.getRGB(x, y);
                Color shaded = Ink.mix(new Color(p), slope > 0 ? Color.WHITE : Ink.LINE, Math.abs(slope) * 0.22);
                g.setColor(shaded);
                g.fillRect(10 + x, 5 + y + shift[x], 1, 1);
            }
            g.setColor(Ink.LINE);
            g.fillRect(10 + x, 4 + shift[x], 1, 1);
            g.fillRect(10 + x, 23 + shift[x], 1, 1);
        }
        g.setColor(Ink.LINE);
        g.fillRect(9, 4 + shift[0], 1, 20);
        g.fillRect(72, 4 + shift[61], 1, 20);
    }
}
