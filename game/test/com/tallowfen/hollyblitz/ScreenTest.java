package com.tallowfen.hollyblitz;

import static com.tallowfen.hollyblitz.TestWorld.pixel;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.hollyblitz.TestWorld.Listed;
import java.awt.Font;
import java.awt.Graphics;
import java.awt.Rectangle;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class ScreenTest {

    private final HollyBlitz game = TestWorld.create();

    /** The rows of the score line below the gun's base, left and right of x 330. */
    private static final Rectangle LINE_LEFT = new Rectangle(0, 442, 330, 30);
    private static final Rectangle LINE_RIGHT = new Rectangle(330, 442, 270, 30);

    @ParameterizedTest(name = "\"{0}\" at x {1}")
    @CsvSource(delimiter = '|', value = {
        "Score: 0|20",
        "Score: 21474836470|20",
        "Hit <ESC> to pause.|340",
        "Game Paused|220",
        "Press 'ESC' to resume or 'q' to quit.|120",
    })
    void everyTextFitsThePlayAreaInTheLargestBoldDialogThatFits(String text, int x) {
        Graphics g = game.offscreen;
        Font font = game.screenText.fit(g, text, x);
        assertEquals("Dialog", font.getFamily());
        assertTrue(font.isBold());
        assertTrue(font.getSize() <= 24);
        assertTrue(x + g.getFontMetrics(font).stringWidth(text) <= 600, font.toString());
        if (font.getSize() < 24) {
            Font larger = font.deriveFont((float) (font.getSize() + 1));
            assertTrue(x + g.getFontMetrics(larger).stringWidth(text) > 600, larger.toString());
        }
    }

    /** The box of every pixel in a region that differs from the given colour, or null. */
    private Rectangle inkIn(Rectangle region, int background) {
        Rectangle ink = null;
        for (int y = region.y; y < region.y + region.height; y++) {
            for (int x = region.x; x < region.x + region.width; x++) {
                if (pixel(game, x, y) != background) {
                    Rectangle p = new Rectangle(x, y, 1, 1);
                    ink = ink == null ? p : ink.union(p);
                }
            }
        }
        return ink;
    }

    @Test
    void theScoreLineStandsOnTheLandscapeInFrontOfEverything() {
        game.startGame();
        game.score = 12;
        game.paintBackBuffer();
        int land = TestWorld.colour(HollyBlitz.MIDGROUND, 0);
        Rectangle score = inkIn(LINE_LEFT, land);
        Rectangle hint = inkIn(LINE_RIGHT, land);
        // Texts stand on their baseline at y 466 (only the p of "pause" reaches below), the score
        // from x 20, the hint from x 340.
        assertTrue(score.x >= 20 && score.x <= 24 && score.y + score.height == 466, score.toString());
        assertTrue(hint.x >= 340 && hint.x <= 344 && hint.y + hint.height > 466, hint.toString());
        assertEquals(score.y, hint.y, 3);

        // A shell under the text does not cover it.
        int[] ink = firstInk(score);
        Listed shell = new Listed(game, game.shells, HollyBlitz.SHELL).at(ink[0], ink[1] - HollyBlitz.INSET);
        game.paintBackBuffer();
        assertEquals(0x000000, pixel(game, ink[0], ink[1]));
        assertEquals(1, shell.anim);
    }

    private int[] firstInk(Rectangle box) {
        for (int y = box.y; y < box.y + box.height; y++) {
            for (int x = box.x; x < box.x + box.width; x++) {
                if (pixel(game, x, y) == 0x000000) {
                    return new int[] {x, y};
                }
            }
        }
        throw new AssertionError("no black ink in " + box);
    }

    @Test
    void theScoreLineShowsTenTimesTheCounter() {
        game.startGame();
        game.score = 0;
        game.paintBackBuffer();
        Rectangle zero = inkIn(LINE_LEFT, TestWorld.colour(HollyBlitz.MIDGROUND, 0));
        game.score = 123;
        game.paintBackBuffer();
        Rectangle more = inkIn(LINE_LEFT, TestWorld.colour(HollyBlitz.MIDGROUND, 0));
        // "Score: 1230" is three digits longer than "Score: 0".
        int digit = game.offscreen.getFontMetrics(ScreenText.FACE).stringWidth("0");
        assertEquals(zero.x, more.x);
        assertEquals(zero.width + 3 * digit, more.width, 2);
    }

    @Test
    void thePauseTextsStandOverTheFrozenPicture() {
        game.startGame();
        Listed elf = new Listed(game, game.elves, HollyBlitz.ELFRUNNINGLR).at(300, 100);
        game.paintBackBuffer();
        int[] before = ((java.awt.image.BufferedImage) game.offscreenImg).getRGB(0, 0, 600, 472, null, 0, 600);
        game.gameState = HollyBlitz.PAUSED;
        game.paintBackBuffer();
        game.paintBackBuffer();
        int[] after = ((java.awt.image.BufferedImage) game.offscreenImg).getRGB(0, 0, 600, 472, null, 0, 600);
        assertEquals(1, elf.anim);

        Rectangle changed = null;
        for (int i = 0; i < before.length; i++) {
            if (before[i] != after[i]) {
                assertEquals(0x000000, after[i] & 0xffffff);
                Rectangle p = new Rectangle(i % 600, i / 600, 1, 1);
                changed = changed == null ? p : changed.union(p);
            }
        }
        // "Game Paused" from (220, 222), the second line from (120, 252), both on their baselines.
        assertTrue(changed.x >= 120 && changed.x <= 124, changed.toString());
        assertTrue(changed.y >= 222 - 24 && changed.y < 222 - 10, changed.toString());
        assertTrue(changed.y + changed.height <= 252 + 8, changed.toString());
        assertTrue(changed.x + changed.width <= 600);
    }
}
