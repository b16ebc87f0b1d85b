package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Graphics2D;

/** The elves' animations, each a sequence of poses of the same figure. */
final class Elves {
    private Elves() {
    }

    private static double wave(int frame, int frames) {
        return Math.sin(2 * Math.PI * frame / frames);
    }

    /** A running stride: legs and arms swing in opposition, the body bobs at each push-off. */
    static void running(Graphics2D g, int frame, int frames) {
        double s = wave(frame, frames);
        double c = Math.cos(2 * Math.PI * frame / frames);
        Elf e = new Elf(10, 19.5 - Math.abs(c) * 1.2);
        e.lean = 12;
        e.legs(35 * s, -35 * s, 10 + 45 * Math.max(0, -s), 10 + 45 * Math.max(0, s));
        e.arms(-45 * s, 45 * s, 60, 60);
        e.draw(g);
    }

    /** Seen from behind, hands taking turns on the rungs above, feet pushing up below. */
    static void climbing(Graphics2D g, int frame, int frames) {
        double s = wave(frame, frames);
        Elf e = new Elf(7.5, 18 + s * 0.6).view(Elf.BACK);
        e.arms(150 + 25 * s, 150 - 25 * s, -20, -20);
        e.legs(20 + 20 * Math.max(0, s), 20 + 20 * Math.max(0, -s), 50 * Math.max(0, s), 50 * Math.max(0, -s));
        e.draw(g);
    }

    /** Standing in the ladder, looking up, holding the rails at its sides. */
    static void onLadder(Graphics2D g, int frame, int frames) {
        Elf e = new Elf(6, 19).view(Elf.BACK);
        e.arms(140, 140, -30, -30);
        e.legs(10, 10, 0, 0);
        e.draw(g);
    }

    /** Facing us, reaching up to hang a bauble, then the other hand waves tinsel; sparkles follow. */
    static void decorating(Graphics2D g, int frame, int frames) {
        double s = wave(frame, frames);
        Elf e = new Elf(8.5, 21).view(Elf.FRONT);
        e.arms(150 + 20 * s, 60 - 30 * s, -10, 40);
        e.legs(8, 8, 0, 0);
        e.draw(g);
        double hx = 8.5 - 3.2 - Math.sin(Math.toRadians(150 + 20 * s)) * 6;
        double hy = 21 - 7 + 1.6 + Math.cos(Math.toRadians(150 + 20 * s)) * 6;
        Ink.line(g, Ink.path(hx, hy, hx, hy + 2.5), Ink.GOLD_DARK, 0.8);
        Ink.blob(g, Ink.oval(hx, hy + 4, 1.9, 1.9), frame % 2 == 0 ? Ink.RED : Ink.BLUE, Ink.LINE, 0.6);
        sparkle(g, 13 + (frame % 3), 4 + (frame % 4) * 2, 1.5 + 0.8 * Math.abs(s));
    }

    /** A four-pointed twinkle. */
    static void sparkle(Graphics2D g, double x, double y, double r) {
        Ink.fill(g, Ink.poly(x - r, y, x - r * 0.2, y - r * 0.2, x, y - r, x + r * 0.2, y - r * 0.2, x + r, y,
                x + r * 0.2, y + r * 0.2, x, y + r, x - r * 0.2, y + r * 0.2), new Color(0xfff3a0));
    }

    /** Hopping with joy, arms thrown up, twice over the sixteen frames. */
    static void celebrating(Graphics2D g, int frame, int frames) {
        double hop = Math.abs(Math.sin(2 * Math.PI * frame / frames * 2));
        double wave = Math.sin(2 * Math.PI * frame / frames * 4);
        Elf e = new Elf(10, 23 - hop * 3.5).view(Elf.FRONT);
        e.arms(150 + 15 * wave, 150 - 15 * wave, 10, 10);
        e.legs(12 + 12 * hop, 12 + 12 * hop, 30 * hop, 30 * hop);
        e.draw(g);
    }

    /** Dropped without a canopy yet: limbs flung out, tumbling a little each frame. */
    static void falling(Graphics2D g, int frame, int frames) {
        double s = wave(frame, frames);
        Elf e = new Elf(13.5, 19.5).view(Elf.FRONT);
        e.startled = true;
        e.spin = 10 * s;
        e.arms(125 + 25 * s, 125 - 25 * s, 30, 30);
        e.legs(40 - 15 * s, 40 + 15 * s, -40, -40);
        e.draw(g);
    }

    /** Hanging under the canopy: hands up on the cords that run to the canopy's rim above. */
    static void parachuting(Graphics2D g, int frame, int frames) {
        Color cord = new Color(0xe8e0d0);
        Ink.line(g, Ink.path(0.8, 0.5, 8.6, 10.5), cord, 0.8);
        Ink.line(g, Ink.path(24.2, 0.5, 16.4, 10.5), cord, 0.8);
        Ink.line(g, Ink.path(8, 0.5, 10, 10.5), cord, 0.7);
        Ink.line(g, Ink.path(17, 0.5, 15, 10.5), cord, 0.7);
        Elf e = new Elf(12.5, 23.5).view(Elf.FRONT);
        e.arms(155, 155, -5, -5);
        e.legs(10, 10, -10, -10);
        e.draw(g);
    }

    /** Knocked head over heels by a shell burst, with a sooty puff and stars. */
    static void blasted(Graphics2D g, int frame, int frames) {
        Elf e = new Elf(11.5, 18.5).view(Elf.SIDE);
        e.startled = true;
        e.spin = 60 * frame;
        e.scale = 0.8;
        e.arms(120, 160, 40, 40);
        e.legs(70, -20, 50, 10);
        e.draw(g);
        sparkle(g, 4 + frame % 3 * 6, 4 + (frame * 5) % 7, 2);
    }
}
