package com.tallowfen.hollyblitz;

import java.util.Vector;

/**
 * Paints the screen of each game state into the game's back buffer: the
 * panels, the world in its layers, and the texts over it.
 */
final class ScreensPainter {

    private final HollyBlitz game;

    ScreensPainter(HollyBlitz game) {
        this.game = game;
    }

    /** Draws what the current state shows; a state that shows nothing new leaves the last picture. */
    void drawState() {
        switch (game.gameState) {
            case HollyBlitz.PLAYING:
                game.gameDraw();
                break;
            case HollyBlitz.PAUSED:
                game.pauseDraw();
                break;
            case HollyBlitz.POSTGAME:
                game.gameDraw();
                game.endGameDraw();
                break;
            case HollyBlitz.FRONTSCREEN:
                game.frontSplash.drawObject();
                break;
            case HollyBlitz.BACKSCREEN1:
                game.backSplashA.drawObject();
                break;
            case HollyBlitz.BACKSCREEN2:
                game.backSplashB.drawObject();
                break;
            case HollyBlitz.SUBMITSCORE:
                game.gameDraw();
                game.scoreSplash.drawObject();
                break;
            default:
                break;
        }
    }

    /** The world, back to front. */
    void gameDraw() {
        game.background.drawObject();
        drawSmoke(HollyBlitz.SMOKE);
        drawAll(game.banners);
        drawSleighs(true);
        game.midground.drawObject();
        if (game.base != null) {
            game.base.drawObject();
        }
        if (game.gun != null) {
            game.gun.drawObject();
        }
        drawAll(game.reins);
        drawAll(game.reindeers);
        drawSleighs(false);
        drawAll(game.barracks);
        drawSmoke(HollyBlitz.CHANGEPUFF);
        drawAll(game.presents);
        drawAll(game.parachutes);
        drawAll(game.elves);
        drawAll(game.shells);
        game.screenText.draw(game.offscreen, "Score: " + HollyBlitz.pointsShown(game.score), 20, 466);
        game.screenText.draw(game.offscreen, "Hit <ESC> to pause.", 340, 466);
    }

    /** The pause texts, over the picture the game was paused on. */
    void pauseDraw() {
        game.screenText.draw(game.offscreen, "Game Paused", 220, 222);
        game.screenText.draw(game.offscreen, "Press 'ESC' to resume or 'q' to quit.", 120, 252);
    }

    /** The end-game panel over the world. */
    void endGameDraw() {
        game.endSplash.drawObject();
    }

    private static void drawAll(Vector<? extends GameObject> list) {
        for (int i = 0; i < list.size(); i++) {
            list.get(i).drawObject();
        }
    }

    /** Trail puffs fly behind the convoys, change puffs in front of the game.barracks. */
    private void drawSmoke(int picture) {
        for (int i = 0; i < game.smokeTrails.size(); i++) {
            GameObject puff = game.smokeTrails.get(i);
            if (puff.imageRef == picture) {
                puff.drawObject();
            }
        }
    }

    /** Crashing sleighs fall behind the landscape, flying ones pass in front of it. */
    private void drawSleighs(boolean inBackground) {
        for (int i = 0; i < game.sleighs.size(); i++) {
            GameObject sleigh = game.sleighs.get(i);
            if (sleigh.drawInBackground == inBackground) {
                sleigh.drawObject();
            }
        }
    }
}
