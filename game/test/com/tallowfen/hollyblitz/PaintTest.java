package com.tallowfen.hollyblitz;

import static com.tallowfen.hollyblitz.TestWorld.pixel;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;

import com.tallowfen.hollyblitz.TestWorld.Listed;
import java.awt.Dimension;
import java.awt.Graphics;
import java.awt.event.MouseAdapter;
import java.awt.event.MouseEvent;
import java.awt.image.BufferedImage;
import java.util.ArrayList;
import java.util.List;
import java.util.Vector;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class PaintTest {

    private static final int BLANK = 0x123456;

    private final HollyBlitz game = TestWorld.create();

    /** The picture whose frame covers a back-buffer pixel, or -1 where nothing was drawn. */
    private int pictureAt(int x, int y) {
        int rgb = pixel(game, x, y);
        return rgb == BLANK ? -1 : rgb >> 16;
    }

    private Listed put(Vector<GameObject> list, int picture, double x, double y) {
        return new Listed(game, list, picture).at(x, y);
    }

    @Test
    void theWorldIsLayeredBackToFront() {
        game.startGame();
        double x = 300;
        double y = 200;
        List<GameObject> layers = new ArrayList<GameObject>();
        layers.add(put(game.smokeTrails, HollyBlitz.SMOKE, x, y));
        layers.add(put(game.banners, HollyBlitz.BANNER, x, y));
        Listed wreck = put(game.sleighs, HollyBlitz.SLEIGHCRASHINGLR, x, y);
        wreck.drawInBackground = true;
        layers.add(wreck);
        // The gun stands on its base in front of the landscape, behind the convoys.
        game.base.xPos = x;
        game.base.yPos = y;
        game.gun.xPos = x;
        game.gun.yPos = y;
        layers.add(game.base);
        layers.add(game.gun);
        layers.add(put(game.reins, HollyBlitz.REIN, x, y));
        layers.add(put(game.reindeers, HollyBlitz.REINDEERLR, x, y));
        layers.add(put(game.sleighs, HollyBlitz.SLEIGHELFLR, x, y));
        layers.add(put(game.barracks, HollyBlitz.BARRACKL, x, y));
        layers.add(put(game.smokeTrails, HollyBlitz.CHANGEPUFF, x, y));
        layers.add(put(game.presents, HollyBlitz.PRESENTA, x, y));
        layers.add(put(game.parachutes, HollyBlitz.PARACHUTE, x, y));
        layers.add(put(game.elves, HollyBlitz.ELFFALLING, x, y));
        layers.add(put(game.shells, HollyBlitz.SHELL, x, y));
        // Listed ahead of the trail puff, yet drawn after it.
        game.smokeTrails.remove(layers.get(9));
        game.smokeTrails.add(0, layers.get(9));

        for (int top = layers.size() - 1; top >= 0; top--) {
            game.paintBackBuffer();
            GameObject o = layers.get(top);
            assertEquals(o.imageRef, pictureAt(300, 222), "layer " + top);
            if (o == game.gun) {
                game.gun = null;
            } else {
                o.discard();
            }
        }
        assertEquals(null, game.base);
        game.paintBackBuffer();
        assertEquals(HollyBlitz.BACKGROUND, pictureAt(300, 222));
    }

    @Test
    void theLandscapeHidesCrashingSleighsButNotTheConvoys() {
        game.startGame();
        Listed wreck = put(game.sleighs, HollyBlitz.SLEIGHCRASHINGLR, 150, 350);
        wreck.drawInBackground = true;
        Listed rein = put(game.reins, HollyBlitz.REIN, 150, 350);
        game.paintBackBuffer();
        assertEquals(HollyBlitz.REIN, pictureAt(150, 372));
        rein.discard();
        game.paintBackBuffer();
        assertEquals(HollyBlitz.MIDGROUND, pictureAt(150, 372));
        assertEquals(2, wreck.anim);
    }

    @Test
    void puffsShowingAnyOtherPictureAreNotDrawn() {
        game.startGame();
        Listed odd = put(game.smokeTrails, HollyBlitz.SHELLBLASTA, 300, 200);
        game.paintBackBuffer();
        assertEquals(0, odd.anim);
        assertEquals(HollyBlitz.BACKGROUND, pictureAt(300, 222));
    }

    @ParameterizedTest(name = "state {0}: picture {3} at ({1}, {2})")
    @CsvSource({
        "0, 5, 30, 3",
        "3, 5, 30, 3",
        "3, 300, 122, 54",
        "7, 5, 30, 3",
        "7, 300, 222, 55",
        "4, 5, 30, 50",
        "4, 599, 471, 50",
        "5, 5, 30, 51",
        "6, 5, 30, 52",
        "1, 5, 30, -1",
        "2, 5, 30, -1",
        "8, 5, 30, -1",
    })
    void eachStateDrawsItsPicture(int state, int x, int y, int picture) {
        TestWorld.clearBackBuffer(game, BLANK);
        game.gameState = state;
        game.paintBackBuffer();
        assertEquals(picture, pictureAt(x, y));
        assertEquals(-1, pictureAt(0, 21), "the rows above the play area stay as they were");
    }

    @Test
    void aPausedGameKeepsItsPictureAndItsAnimations() {
        game.startGame();
        Listed elf = put(game.elves, HollyBlitz.ELFRUNNINGLR, 300, 200);
        game.paintBackBuffer();
        game.gameState = HollyBlitz.PAUSED;
        game.paintBackBuffer();
        game.paintBackBuffer();
        assertEquals(1, elf.anim);
        assertEquals(HollyBlitz.ELFRUNNINGLR, pictureAt(300, 222));
    }

    @Test
    void theDrawingAreaShowsThePlayAreaWhereverItSitsInTheWindow() {
        game.gameState = HollyBlitz.FRONTSCREEN;
        assertEquals(new Dimension(600, 450), game.playfield.getPreferredSize());
        // As a desktop might place it: inside a border and under a 30-pixel title bar.
        game.playfield.setBounds(4, 30, 600, 450);
        BufferedImage area = new BufferedImage(600, 450, BufferedImage.TYPE_INT_RGB);
        Graphics g = area.getGraphics();
        game.playfield.paint(g);
        g.dispose();

        int[][] points = {{0, 0}, {599, 449}, {300, 225}};
        for (int[] p : points) {
            assertEquals(pixel(game, p[0], p[1] + HollyBlitz.INSET), area.getRGB(p[0], p[1]) & 0xffffff);
        }
        assertEquals(HollyBlitz.FRONTSPLASH, (area.getRGB(599, 449) & 0xffffff) >> 16);
    }

    @Test
    void mousePressesReachTheWindowInGameCoordinates() {
        List<MouseEvent> seen = new ArrayList<MouseEvent>();
        game.addMouseListener(new MouseAdapter() {
            @Override
            public void mousePressed(MouseEvent e) {
                seen.add(e);
            }
        });
        game.playfield.setBounds(4, 30, 600, 450);
        game.playfield.processMouseEvent(new MouseEvent(game.playfield, MouseEvent.MOUSE_PRESSED, 0L, 0,
            477, 49, 1, false, MouseEvent.BUTTON1));

        assertEquals(1, seen.size());
        MouseEvent e = seen.get(0);
        assertSame(game, e.getSource());
        assertEquals(477, e.getX());
        assertEquals(49 + HollyBlitz.INSET, e.getY());
    }
}
