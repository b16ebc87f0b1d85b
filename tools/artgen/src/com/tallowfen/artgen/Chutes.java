package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Chutes {
    private Chutes() {
    }

    static void open(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "open").paint(g, frame, frames);
    }

    static void shredded(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "shredded").paint(g, frame, frames);
    }

    static void opening(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "opening").paint(g, frame, frames);
    }
}
