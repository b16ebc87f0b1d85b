package com.tallowfen.artgen;

import java.awt.Graphics2D;

/** Draws one frame of one picture onto a cleared canvas of the picture's size. */
@FunctionalInterface
interface Painter {
    void paint(Graphics2D g, int frame, int frames);
}
