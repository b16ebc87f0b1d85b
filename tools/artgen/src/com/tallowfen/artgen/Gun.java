package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Gun {
    private Gun() {
    }

    static void turret(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "turret").paint(g, frame, frames);
    }

    static void base(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "base").paint(g, frame, frames);
    }

    static void tree(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "tree").paint(g, frame, frames);
    }
}
