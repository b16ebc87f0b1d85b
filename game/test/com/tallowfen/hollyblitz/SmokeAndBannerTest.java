package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class SmokeAndBannerTest {

    private final SoundLog game = SoundLog.playing(new ScriptedRandom());

    @Test
    void aTrailPuffStandsTwoStepsBackAndPlaysOnce() {
        Sleigh sleigh = new Sleigh(game);
        sleigh.xPos = 500;
        sleigh.yPos = 120;
        sleigh.xVel = -3;
        sleigh.yVel = 2;
        Smoke puff = new Smoke(game, sleigh);
        assertTrue(game.smokeTrails.isEmpty(), "its maker adds it");
        game.smokeTrails.add(puff);
        assertEquals(506.0, puff.xPos);
        assertEquals(116.0, puff.yPos);
        puff.doMove();
        assertEquals(506.0, puff.xPos);
        assertEquals(116.0, puff.yPos);
        for (int i = 0; i < 15; i++) {
            puff.drawObject();
        }
        assertTrue(game.smokeTrails.contains(puff));
        puff.drawObject();
        assertFalse(game.smokeTrails.contains(puff));
    }

    @ParameterizedTest(name = "sleigh at {0} moving {1}: banner at {2}")
    @CsvSource({"700, -4.5, 772", "-100, 3.0, -172"})
    void aBannerTrailsItsSleighWithTheBoxesTouching(double x, double v, double bannerX) {
        Sleigh sleigh = new Sleigh(game);
        sleigh.gameType = sleigh.imageRef = HollyBlitz.SLEIGHELFLR;
        sleigh.setCollisionRect();
        sleigh.xPos = x;
        sleigh.yPos = 40;
        sleigh.xVel = v;
        Banner banner = new Banner(game, sleigh);
        assertEquals(banner, game.banners.get(0));
        assertEquals(bannerX, banner.xPos);
        assertEquals(40.0, banner.yPos);
        assertEquals(v, banner.xVel);
        assertFalse(banner.collidesWithShell);
        banner.doMove();
        assertEquals(bannerX + v, banner.xPos);
    }

    @Test
    void bannersOfAFinishedGameFlyOnAfterARestart() {
        Sleigh sleigh = new Sleigh(game);
        sleigh.xPos = 1100;
        sleigh.xVel = 6;
        Banner banner = new Banner(game, sleigh);
        game.restartGame();
        assertEquals(1, game.banners.size());
        game.doAllMovement();
        game.doAllMovement();
        assertTrue(game.banners.contains(banner));
        for (int i = 0; i < 30; i++) {
            game.doAllMovement();
        }
        assertFalse(game.banners.contains(banner), "gone beyond 1200");
    }
}
