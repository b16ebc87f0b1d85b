package com.tallowfen.artgen;

import com.tallowfen.hollyblitz.AssetTables;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;

/** One image id of the game: its file stem and frame count (the game's), frame size and how it is drawn. */
final class Art {
    final int id;
    final String stem;
    final int frames;
    final int width;
    final int height;
    final Kind kind;
    private final Painter painter;
    /** The left-to-right twin this picture mirrors, or null when it is drawn directly. */
    private final Art twin;

    private Art(int id, int width, int height, Kind kind, Painter painter, Art twin) {
        this.id = id;
        // Names and frame counts are the game's own.
        this.stem = AssetTables.imageStem(id);
        this.frames = AssetTables.imageFrames(id);
        this.width = width;
        this.height = height;
        this.kind = kind;
        this.painter = painter;
        this.twin = twin;
        if (twin != null && twin.frames != frames) {
            throw new IllegalStateException(stem + " mirrors " + twin.stem + " but their frame counts differ");
        }
    }

    static Art drawn(int id, int w, int h, Kind kind, Painter painter) {
        return new Art(id, w, h, kind, painter, null);
    }

    /** A right-to-left picture: its twin flipped, cropped at the right and bottom to this size. */
    static Art mirrored(int id, int w, int h, Art twin) {
        return new Art(id, w, h, twin.kind, null, twin);
    }

    /** A picture the game names but never draws: no files. */
    static Art none(int id) {
        return new Art(id, 0, 0, Kind.SPRITE, null, null);
    }

    String fileName(int frame) {
        return stem + frame + ".gif";
    }

    BufferedImage render(int frame) {
        if (twin != null) {
            return flip(twin.render(frame));
        }
        BufferedImage img = new BufferedImage(width, height, BufferedImage.TYPE_INT_ARGB);
        Graphics2D g = Ink.pen(img);
        g.setClip(0, 0, width, height);
        painter.paint(g, frame, frames);
        g.dispose();
        return img;
    }

    private BufferedImage flip(BufferedImage src) {
        BufferedImage img = new BufferedImage(width, height, BufferedImage.TYPE_INT_ARGB);
        int sw = src.getWidth();
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++) {
                img.setRGB(x, y, src.getRGB(sw - 1 - x, y));
            }
        }
        return img;
    }
}
