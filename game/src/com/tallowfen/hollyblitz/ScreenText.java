package com.tallowfen.hollyblitz;

import java.awt.Font;
import java.awt.Graphics;
import java.util.HashMap;
import java.util.Map;

/**
 * The texts the game writes on its screens, in the one face it uses. The
 * positions were made for a narrower face than some desktops have, so a
 * text that would run past the right edge of the play area is written in
 * the largest size of the same face that still fits.
 */
final class ScreenText {

    static final Font FACE = new Font("Dialog", Font.BOLD, 24);
    /** Fitted fonts by text and position; the score line changes, so the table is kept small. */
    private final Map<String, Font> fitted = new HashMap<String, Font>();
    private final int rightEdge;

    ScreenText(int rightEdge) {
        this.rightEdge = rightEdge;
    }

    /** Writes a text with the left end of its baseline at (x, y), in the back buffer's colour. */
    void draw(Graphics g, String text, int x, int y) {
        g.setFont(fit(g, text, x));
        g.drawString(text, x, y);
        g.setFont(FACE);
    }

    /** The largest bold size of the face, 24 at most, in which the text starting at x ends inside the play area. */
    Font fit(Graphics g, String text, int x) {
        String key = x + ":" + text;
        Font font = fitted.get(key);
        if (font == null) {
            font = FACE;
            while (font.getSize() > 1 && x + g.getFontMetrics(font).stringWidth(text) > rightEdge) {
                font = FACE.deriveFont((float) (font.getSize() - 1));
            }
            if (fitted.size() > 64) {
                fitted.clear();
            }
            fitted.put(key, font);
        }
        return font;
    }
}
