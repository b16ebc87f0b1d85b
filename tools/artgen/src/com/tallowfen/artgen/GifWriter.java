package com.tallowfen.artgen;

import java.awt.image.BufferedImage;
import java.awt.image.IndexColorModel;
import java.io.File;
import java.io.IOException;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;
import javax.imageio.ImageIO;

/** Turns a drawn ARGB frame into a one-frame GIF: adaptive palette, one transparent index for sprites. */
final class GifWriter {
    /** Alpha at or above which a pixel of an ordinary sprite is kept. */
    private static final int SOLID = 128;
    /** 4x4 ordered threshold, so fading effects dissolve into a stipple instead of snapping off. */
    private static final int[] BAYER = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

    private GifWriter() {
    }

    /** Writes the frame; transparent frames keep palette index 0 for see-through pixels. */
    static void write(BufferedImage argb, Kind kind, File out) throws IOException {
        BufferedImage indexed = toIndexed(argb, kind);
        if (!ImageIO.write(indexed, "gif", out)) {
            throw new IOException("no GIF writer for " + out);
        }
    }

    /** Quantises the frame to at most 256 colours, in a way that depends only on its pixels. */
    static BufferedImage toIndexed(BufferedImage argb, Kind kind) {
        int w = argb.getWidth();
        int h = argb.getHeight();
        int[] px = argb.getRGB(0, 0, w, h, null, 0, w);
        boolean clear = kind != Kind.OPAQUE;
        for (int i = 0; i < px.length; i++) {
            px[i] = keep(px[i], i % w, i / w, kind) ? (px[i] | 0xff000000) : 0;
        }
        int[] palette = palette(px, clear ? 255 : 256);
        int offset = clear ? 1 : 0;
        int size = 2;
        while (size < palette.length + offset) {
            size *= 2;
        }
        byte[] r = new byte[size];
        byte[] g = new byte[size];
        byte[] b = new byte[size];
        for (int i = 0; i < palette.length; i++) {
            r[i + offset] = (byte) (palette[i] >> 16);
            g[i + offset] = (byte) (palette[i] >> 8);
            b[i + offset] = (byte) palette[i];
        }
        IndexColorModel icm = clear ? new IndexColorModel(8, size, r, g, b, 0) : new IndexColorModel(8, size, r, g, b);
        BufferedImage out = new BufferedImage(w, h, BufferedImage.TYPE_BYTE_INDEXED, icm);
        byte[] data = ((java.awt.image.DataBufferByte) out.getRaster().getDataBuffer()).getData();
        Map<Integer, Integer> nearest = new HashMap<>();
        for (int i = 0; i < px.length; i++) {
            if (clear && px[i] == 0) {
                data[i] = 0;
            } else {
                data[i] = (byte) (offset + nearest.computeIfAbsent(px[i] & 0xffffff, c -> closest(palette, c)));
            }
        }
        return out;
    }

    /** Whether a pixel stays visible: panels keep all, fading effects stipple by alpha. */
    private static boolean keep(int argb, int x, int y, Kind kind) {
        int a = argb >>> 24;
        switch (kind) {
            case OPAQUE:
                return true;
            case FADING:
                return a * 16 > (BAYER[(y & 3) * 4 + (x & 3)] * 255 + 128);
            default:
                return a >= SOLID;
        }
    }

    private static int closest(int[] palette, int c) {
        int best = 0;
        int bestD = Integer.MAX_VALUE;
        for (int i = 0; i < palette.length; i++) {
            int d = distance(palette[i], c);
            if (d < bestD) {
                bestD = d;
                best = i;
            }
        }
        return best;
    }

    private static int distance(int a, int b) {
        int dr = ((a >> 16) & 255) - ((b >> 16) & 255);
        int dg = ((a >> 8) & 255) - ((b >> 8) & 255);
        int db = (a & 255) - (b & 255);
        return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    }

    /** Colours of the visible pixels, reduced by median cut when there are more than fit. */
    private static int[] palette(int[] px, int max) {
        TreeMap<Integer, int[]> counts = new TreeMap<>();
        for (int p : px) {
            if (p != 0) {
                counts.computeIfAbsent(p & 0xffffff, k -> new int[1])[0]++;
            }
        }
        if (counts.isEmpty()) {
            return new int[] {0};
        }
        List<int[]> colours = new ArrayList<>();
        counts.forEach((c, n) -> colours.add(new int[] {(c >> 16) & 255, (c >> 8) & 255, c & 255, n[0]}));
        if (colours.size() <= max) {
            return colours.stream().mapToInt(c -> (c[0] << 16) | (c[1] << 8) | c[2]).toArray();
        }
        return MedianCut.reduce(colours, max);
    }
}
