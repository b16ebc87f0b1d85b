package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Sleighs {
    private Sleighs() {
    }

    static void elfSleigh(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "elfSleigh").paint(g, frame, frames);
    }

    static void elfWreck(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "elfWreck").paint(g, frame, frames);
    }

    static void santa(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "santa").paint(g, frame, frames);
    }

    static void santaWreck(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "santaWreck").paint(g, frame, frames);
    }
}
