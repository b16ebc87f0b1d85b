package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Presents {
    static final int KIND_A = 0;
    static final int KIND_B = 1;

    private Presents() {
    }

    static Painter falling(int kind) {
        return Placeholder.of(Ink.GOLD, "P" + kind);
    }

    static Painter exploding(int kind) {
        return Placeholder.of(Ink.GOLD, "X" + kind);
    }

    static void blasted(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.GOLD, "b").paint(g, frame, frames);
    }
}
