package com.tallowfen.artgen;

import java.awt.Graphics2D;

final class Elves {
    private Elves() {
    }

    static void celebrating(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "celebrating").paint(g, frame, frames);
    }

    static void climbing(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "climbing").paint(g, frame, frames);
    }

    static void decorating(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "decorating").paint(g, frame, frames);
    }

    static void falling(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "falling").paint(g, frame, frames);
    }

    static void onLadder(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "onLadder").paint(g, frame, frames);
    }

    static void parachuting(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "parachuting").paint(g, frame, frames);
    }

    static void running(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "running").paint(g, frame, frames);
    }

    static void blasted(Graphics2D g, int frame, int frames) {
        Placeholder.of(Ink.RED, "blasted").paint(g, frame, frames);
    }
}
