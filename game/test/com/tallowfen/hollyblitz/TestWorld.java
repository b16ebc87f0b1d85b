package com.tallowfen.hollyblitz;

import java.awt.Graphics;
import java.awt.image.BufferedImage;
import java.util.Random;
import java.util.Vector;

/**
 * Builds a game for tests: no window shown, no loop thread, a seeded random
 * generator, and solid-coloured frames of the real sizes in the picture
 * table, so a pixel of the back buffer tells which picture and frame was
 * drawn there.
 */
final class TestWorld {

    /** Frame width and height by image id, from the game's picture table; ids without frames have none. */
    static final int[][] SIZES = frameSizes();

    private static final BufferedImage[][] FRAMES = makeFrames();

    private TestWorld() {
    }

    private static int[][] frameSizes() {
        int[][] sizes = new int[AssetTables.imageCount()][];
        for (int id = 0; id < sizes.length; id++) {
            if (AssetTables.imageFrames(id) > 0) {
                sizes[id] = new int[] {AssetTables.imageWidth(id), AssetTables.imageHeight(id)};
            }
        }
        return sizes;
    }

    /** A fresh game with pictures, back buffer and panels, and its random generator seeded. */
    static HollyBlitz create() {
        return prepare(new HollyBlitz());
    }

    /** Readies a game made by the caller (a subclass, say) the same way as create(). */
    static <G extends HollyBlitz> G prepare(G game) {
        game.r = new Random(20031224L);
        installFrames(game);
        game.createBackBuffer();
        game.createPanels();
        return game;
    }

    static void installFrames(HollyBlitz game) {
        for (int id = 0; id < FRAMES.length; id++) {
            ImageObject picture = new ImageObject();
            System.arraycopy(FRAMES[id], 0, picture.objectImage, 0, FRAMES[id].length);
            game.gameImages[id] = picture;
        }
    }

    /** The colour that frame `frame` of picture `id` is filled with. */
    static int colour(int id, int frame) {
        return (id << 16) | (frame << 8) | 0x55;
    }

    /** The colour of a back-buffer pixel, without alpha. */
    static int pixel(HollyBlitz game, int x, int y) {
        return ((BufferedImage) game.offscreenImg).getRGB(x, y) & 0xffffff;
    }

    /** Paints the whole back buffer one colour, so tests see what a pass draws and what it leaves. */
    static void clearBackBuffer(HollyBlitz game, int rgb) {
        Graphics g = game.offscreenImg.getGraphics();
        g.setColor(new java.awt.Color(rgb));
        g.fillRect(0, 0, game.xScreenSize, game.yScreenSize);
        g.dispose();
    }

    private static BufferedImage[][] makeFrames() {
        BufferedImage[][] frames = new BufferedImage[SIZES.length][];
        for (int id = 0; id < SIZES.length; id++) {
            int n = frameCount(id);
            frames[id] = new BufferedImage[n];
            for (int k = 0; k < n; k++) {
                BufferedImage img = new BufferedImage(SIZES[id][0], SIZES[id][1], BufferedImage.TYPE_INT_RGB);
                Graphics g = img.getGraphics();
                g.setColor(new java.awt.Color(colour(id, k)));
                g.fillRect(0, 0, img.getWidth(), img.getHeight());
                g.dispose();
                frames[id][k] = img;
            }
        }
        return frames;
    }

    /** Frame counts as the picture table gives them. */
    static int frameCount(int id) {
        return AssetTables.imageFrames(id);
    }

    /**
     * A world object that lives in one list, as every listed class does:
     * it removes itself on discard and counts what happens to it.
     */
    static class Listed extends GameObject {
        final Vector<GameObject> list;
        int moves;
        int discards;
        Runnable onMove;

        Listed(HollyBlitz game, Vector<GameObject> list, int picture) {
            super(game, picture, picture);
            this.list = list;
            setCollisionRect();
            list.add(this);
        }

        Listed at(double x, double y) {
            xPos = x;
            yPos = y;
            return this;
        }

        Listed moving(double dx, double dy) {
            xVel = dx;
            yVel = dy;
            return this;
        }

        @Override
        void doMove() {
            moves++;
            if (onMove != null) {
                onMove.run();
            }
            super.doMove();
        }

        @Override
        void discard() {
            discards++;
            list.remove(this);
        }
    }
}
