package com.tallowfen.artgen;

import java.awt.Color;
import java.awt.Font;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.util.List;
import javax.imageio.ImageIO;

/** Review pictures for the team: every frame on one sheet, and a busy moment of play. */
final class Sheets {
    private static final int SHEET_WIDTH = 1400;
    private static final int GAP = 6;
    private static final int LABEL = 16;
    /** Pictures wider than this are shown at half size, so the sheet stays readable. */
    private static final int BIG = 300;
    private static final Color NEUTRAL = new Color(0x8a8f99);

    private Sheets() {
    }

    static void contactSheet(List<Art> arts, BufferedImage[][] frames, File out) throws IOException {
        int height = layout(arts, null);
        BufferedImage sheet = new BufferedImage(SHEET_WIDTH, height, BufferedImage.TYPE_INT_RGB);
        Graphics2D g = Ink.pen(sheet);
        g.setColor(NEUTRAL);
        g.fillRect(0, 0, SHEET_WIDTH, height);
        layout(arts, new Object[] {g, frames});
        g.dispose();
        ImageIO.write(sheet, "png", out);
    }

    /** Places every picture's row of frames; draws them when given a pen, returns the height used. */
    private static int layout(List<Art> arts, Object[] pen) {
        int y = GAP;
        for (Art art : arts) {
            if (art.frames == 0) {
                continue;
            }
            int scale = art.width > BIG ? 2 : 1;
            int w = art.width / scale;
            int h = art.height / scale;
            if (pen != null) {
                Graphics2D g = (Graphics2D) pen[0];
                g.setColor(Color.BLACK);
                g.setFont(new Font(Font.SANS_SERIF, Font.BOLD, 12));
                g.drawString(art.id + "  " + art.stem + "  (" + art.frames + " x " + art.width + "x" + art.height
                        + (scale > 1 ? ", shown at half size" : "") + ")", GAP, y + 12);
            }
            y += LABEL;
            int x = GAP;
            for (int k = 0; k < art.frames; k++) {
                if (x + w > SHEET_WIDTH - GAP) {
                    x = GAP;
                    y += h + LABEL;
                }
                if (pen != null) {
                    Graphics2D g = (Graphics2D) pen[0];
                    BufferedImage[][] frames = (BufferedImage[][]) pen[1];
                    g.drawImage(frames[art.id][k], x, y, w, h, null);
                    g.setColor(new Color(0x30343c));
                    g.setFont(new Font(Font.SANS_SERIF, Font.PLAIN, 10));
                    g.drawString(Integer.toString(k), x, y + h + 10);
                }
                x += w + GAP;
            }
            y += h + LABEL;
        }
        return y + GAP;
    }

    static void mockup(List<Art> arts, BufferedImage[][] frames, File out) throws IOException {
        BufferedImage shot = new Mockup(frames).compose();
        ImageIO.write(shot, "png", out);
    }
}
