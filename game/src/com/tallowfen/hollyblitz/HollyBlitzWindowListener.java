package com.tallowfen.hollyblitz;

import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;

/** Closing the window ends the program at once, whatever is going on. */
class HollyBlitzWindowListener extends WindowAdapter {

    private final HollyBlitz game;

    HollyBlitzWindowListener(HollyBlitz game) {
        this.game = game;
    }

    @Override
    public void windowClosing(WindowEvent e) {
        game.endProgram();
    }
}
