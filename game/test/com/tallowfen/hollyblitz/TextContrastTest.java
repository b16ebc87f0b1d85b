package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Color;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics2D;
import java.awt.Rectangle;
import java.awt.image.BufferedImage;
import java.io.File;
import java.util.ArrayList;
import java.util.List;
import javax.imageio.ImageIO;
import org.junit.jupiter.api.Test;

/**
 * The texts the screens write over the world (the score line while a game
 * runs, the pause texts over the picture a game was paused on) stand out
 * from the art under them: a contrast ratio of at least 4.5 between the
 * text's colour and the pixels under its box, averaged (the mean relative
 * luminance of those pixels; the text's own pixels left out), in every
 * frame the bot's games show, with the game's real pictures.
 *
 * With QUILLPOD_CONTRAST_FRAMES=DIR set, the frame with the lowest contrast
 * of each text is written there as a PNG.
 */
class TextContrastTest {

    static final double LEAST_RATIO = 4.5;
    /** How many logic steps the bot plays, per seed; a paint pass follows every second step. */
    static final int STEPS = 3000;

    /** A text the screens write, where, and in which states its frame is the picture under it. */
    static final class Writing {
        final String text;
        final int x;
        final int y;
        final boolean overItsOwnFrame;
        double worst = Double.MAX_VALUE;
        double sum;
        int frames;
        BufferedImage worstFrame;

        Writing(String text, int x, int y, boolean overItsOwnFrame) {
            this.text = text;
            this.x = x;
            this.y = y;
            this.overItsOwnFrame = overItsOwnFrame;
        }
    }

    /** Relative luminance of an sRGB colour, as the accessibility guidelines define it. */
    static double luminance(int rgb) {
        return 0.2126 * linear((rgb >> 16) & 0xff) + 0.7152 * linear((rgb >> 8) & 0xff) + 0.0722 * linear(rgb & 0xff);
    }

    private static double linear(int channel) {
        double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4);
    }

    static double ratio(double a, double b) {
        return (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
    }

    /**
     * The contrast of a text with the frame under it. When the frame holds
     * the text itself, its glyphs are left out: they are drawn again into a
     * mask with the same font at the same place.
     */
    static double contrast(HollyBlitz game, BufferedImage frame, Writing w, Color ink) {
        Font font = game.screenText.fit(game.offscreen, w.text, w.x);
        FontMetrics fm = game.offscreen.getFontMetrics(font);
        Rectangle box = new Rectangle(w.x, w.y - fm.getAscent(), fm.stringWidth(w.text), fm.getAscent() + fm.getDescent())
            .intersection(new Rectangle(0, 0, frame.getWidth(), frame.getHeight()));
        BufferedImage mask = new BufferedImage(box.width, box.height, BufferedImage.TYPE_INT_RGB);
        if (w.overItsOwnFrame) {
            Graphics2D g = mask.createGraphics();
            g.setColor(Color.white);
            g.setFont(font);
            g.drawString(w.text, w.x - box.x, w.y - box.y);
            g.dispose();
        }
        double sum = 0;
        int n = 0;
        for (int y = box.y; y < box.y + box.height; y++) {
            for (int x = box.x; x < box.x + box.width; x++) {
                if ((mask.getRGB(x - box.x, y - box.y) & 0xffffff) == 0) {
                    sum += luminance(frame.getRGB(x, y));
                    n++;
                }
            }
        }
        return ratio(sum / n, luminance(ink.getRGB()));
    }

    @Test
    void everyTextOverTheWorldStandsOutFromTheArtAtEveryMoment() throws Exception {
        String sources = System.getenv().getOrDefault("QUILLPOD_SOURCE_DIR", ".");
        List<Writing> writings = new ArrayList<Writing>();
        writings.add(new Writing("Score: " + HollyBlitz.pointsShown(0), 20, 466, true));
        writings.add(new Writing("Hit <ESC> to pause.", 340, 466, true));
        writings.add(new Writing("Game Paused", 220, 222, false));
        writings.add(new Writing("Press 'ESC' to resume or 'q' to quit.", 120, 252, false));
        int frames = 0;
        for (long seed : new long[] {3, 11}) {
            BotGame game = new BotGame(seed);
            game.startHeadless(sources, seed);
            Color ink = game.offscreen.getColor();
            BufferedImage frame = (BufferedImage) game.offscreenImg;
            for (int step = 0; step < STEPS; step++) {
                game.logicStep();
                if (step % 2 == 0) {
                    continue;
                }
                game.paintBackBuffer();
                if (game.gameState != HollyBlitz.PLAYING) {
                    continue;
                }
                frames++;
                // The score line changes: measure the one this frame shows.
                writings.set(0, scoreWriting(writings.get(0), game));
                for (Writing w : writings) {
                    double c = contrast(game, frame, w, ink);
                    w.sum += c;
                    w.frames++;
                    if (c < w.worst) {
                        w.worst = c;
                        w.worstFrame = copy(frame);
                    }
                }
            }
        }
        assertTrue(frames > 1000, "too few frames of play: " + frames);
        String dump = System.getenv("QUILLPOD_CONTRAST_FRAMES");
        StringBuilder report = new StringBuilder();
        for (Writing w : writings) {
            report.append(String.format("%-40s least %.2f, mean %.2f over %d frames%n", '"' + w.text + '"', w.worst,
                w.sum / w.frames, w.frames));
            if (dump != null) {
                ImageIO.write(w.worstFrame, "png", new File(dump, "contrast-" + w.y + "-" + w.x + ".png"));
            }
        }
        System.out.print(report);
        for (Writing w : writings) {
            assertTrue(w.worst >= LEAST_RATIO, report.toString());
        }
    }

    /** The score line as the frame shows it, keeping what was measured so far. */
    private static Writing scoreWriting(Writing old, HollyBlitz game) {
        Writing now = new Writing("Score: " + HollyBlitz.pointsShown(game.score), old.x, old.y, true);
        now.worst = old.worst;
        now.sum = old.sum;
        now.frames = old.frames;
        now.worstFrame = old.worstFrame;
        return now;
    }

    private static BufferedImage copy(BufferedImage frame) {
        BufferedImage out = new BufferedImage(frame.getWidth(), frame.getHeight(), BufferedImage.TYPE_INT_RGB);
        out.getGraphics().drawImage(frame, 0, 0, null);
        return out;
    }
}
