package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Deer {
    private Deer() {
    }

    static void rein(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "rein").paint(g, frame, frames);
    }

    static void gallop(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "gallop").paint(g, frame, frames);
    }

    static void blasted(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "blasted").paint(g, frame, frames);
    }
}
