package com.tallowfen.hollyblitz;

import java.awt.event.KeyAdapter;
import java.awt.event.KeyEvent;

/**
 * The keyboard: arrows and space are held-key flags for the gun, Escape
 * pauses and resumes, Q ends a paused game and leaves the end-game panel,
 * S starts a game from the front screen, and any key moves on through the
 * back screens.
 */
class HollyBlitzKeyListener extends KeyAdapter {

    private final HollyBlitz game;

    HollyBlitzKeyListener(HollyBlitz game) {
        this.game = game;
    }

    /** Every press counts, auto-repeated ones included. */
    @Override
    public void keyPressed(KeyEvent evt) {
        if (game.gameState == HollyBlitz.BACKSCREEN2) {
            game.destroy();
            game.endProgram();
            return;
        }
        if (game.gameState == HollyBlitz.BACKSCREEN1) {
            game.setGameState(HollyBlitz.BACKSCREEN2);
        }
        switch (evt.getKeyCode()) {
            case KeyEvent.VK_LEFT:
            case KeyEvent.VK_RIGHT:
            case KeyEvent.VK_SPACE:
                game.holdKey(evt.getKeyCode(), true);
                break;
            case KeyEvent.VK_ESCAPE:
                game.togglePause();
                break;
            case KeyEvent.VK_Q:
                if (game.gameState == HollyBlitz.PAUSED) {
                    game.gameEnd();
                } else if (game.gameState == HollyBlitz.POSTGAME) {
                    game.setGameState(HollyBlitz.BACKSCREEN1);
                }
                break;
            case KeyEvent.VK_S:
                if (game.gameState == HollyBlitz.FRONTSCREEN) {
                    game.startGame();
                    game.setGameState(HollyBlitz.PLAYING);
                }
                break;
            default:
                break;
        }
    }

    @Override
    public void keyReleased(KeyEvent evt) {
        game.holdKey(evt.getKeyCode(), false);
    }
}
