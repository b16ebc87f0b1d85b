package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Panels {
    private Panels() {
    }

    static void intro(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "intro").paint(g, frame, frames);
    }

    static void throneward(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "throneward").paint(g, frame, frames);
    }

    static void webGames(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "webGames").paint(g, frame, frames);
    }

    static void flag(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "flag").paint(g, frame, frames);
    }

    static void gameOver(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "gameOver").paint(g, frame, frames);
    }

    static void scoreEntry(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "scoreEntry").paint(g, frame, frames);
    }
}
