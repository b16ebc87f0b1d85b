package com.tallowfen.hollyblitz;

import java.awt.Window;

/**
 * Keeps the game window sized around its drawing area. Making the window
 * fixed-size gives it thinner borders, and a desktop may apply that change
 * after the window was first packed: the window then keeps the outer size of
 * the wider borders, and a stripe of bare window shows beside the picture.
 * Packing again, once the borders have settled, fits the window to the area.
 */
final class PlayAreaFit {

    private PlayAreaFit() {
    }

    /** Packs the window again when its size is not the one its current borders ask for. */
    static void fit(Window window) {
        if (!window.getSize().equals(window.getPreferredSize())) {
            window.pack();
        }
    }
}
