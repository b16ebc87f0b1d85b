package com.tallowfen.hollyblitz;

import java.awt.Frame;

/** The modal messages the game shows the player, each with one OK button. */
final class Alerts {

    private Alerts() {
    }

    /**
     * A modal message centred over the window; returns when the player has
     * pressed its button. The dialog goes once it has been answered.
     */
    static void show(Frame window, String title, String message) {
        AlertDialog dialog = new AlertDialog(window, true);
        dialog.setAlertTitle(title);
        dialog.setAlertMessage(message);
        dialog.setAlertButtonLabel("OK");
        dialog.setLocation(window.getX() + (window.getWidth() - dialog.getWidth()) / 2,
            window.getY() + (window.getHeight() - dialog.getHeight()) / 2);
        dialog.setVisible(true);
        dialog.dispose();
    }
}
