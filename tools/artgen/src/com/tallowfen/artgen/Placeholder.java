package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Font;

/** A plain labelled shape, for pictures whose artwork is not drawn yet. */
final class Placeholder {
    private Placeholder() {
    }

    static Painter of(Color c, String label) {
        return (g, frame, frames) -> {
            java.awt.Rectangle r = g.getClipBounds();
            double w = r.getWidth();
            double h = r.getHeight();
            double grow = frames > 1 ? 0.6 + 0.4 * frame / (frames - 1) : 1;
            Ink.blob(g, Ink.round(w * (1 - grow) / 2 + 1, h * (1 - grow) / 2 + 1, w * grow - 2, h * grow - 2, 8), c);
            g.setColor(Color.WHITE);
            g.setFont(new Font(Font.SANS_SERIF, Font.BOLD, (int) Math.max(8, Math.min(24, h / 4))));
            Ink.centred(g, label, w / 2, h / 2 + 4);
        };
    }
}
