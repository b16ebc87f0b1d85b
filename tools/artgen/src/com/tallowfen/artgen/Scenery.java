package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Scenery {
    private Scenery() {
    }

    static void sky(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "sky").paint(g, frame, frames);
    }

    static void midground(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "midground").paint(g, frame, frames);
    }
}
