package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Blasts {
    private Blasts() {
    }

    static void shell(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "shell").paint(g, frame, frames);
    }

    static void flak(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "flak").paint(g, frame, frames);
    }

    static void starburst(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "starburst").paint(g, frame, frames);
    }

    static void smoke(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "smoke").paint(g, frame, frames);
    }

    static void changePuff(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "changePuff").paint(g, frame, frames);
    }
}
