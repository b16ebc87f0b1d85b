package com.tallowfen.hollyblitz;

import java.awt.event.MouseAdapter;
import java.awt.event.MouseEvent;

/** Mouse presses, any button, on the buttons of the screen now shown. */
class HollyBlitzMouseListener extends MouseAdapter {

    private final HollyBlitz game;

    HollyBlitzMouseListener(HollyBlitz game) {
        this.game = game;
    }

    /**
     * Tests the screen's buttons in order with the same position, even when
     * an earlier one changed the state. A page that could not be opened ends
     * the press there, and the game stays where it was.
     */
    @Override
    public void mousePressed(MouseEvent evt) {
        int x = evt.getX();
        int y = evt.getY() - HollyBlitz.INSET;
        try {
            switch (game.gameState) {
                case HollyBlitz.FRONTSCREEN:
                    game.buttonPlay(x, y);
                    game.buttonTallowfenFront(x, y);
                    break;
                case HollyBlitz.POSTGAME:
                    game.buttonReplay(x, y);
                    game.buttonScore(x, y);
                    game.buttonExit(x, y);
                    game.buttonHighscoreB(x, y);
                    break;
                case HollyBlitz.BACKSCREEN1:
                    if (!game.buttonThroneward(x, y)) {
                        game.setGameState(HollyBlitz.BACKSCREEN2);
                    }
                    break;
                case HollyBlitz.BACKSCREEN2:
                    if (!game.buttonJava(x, y) && !game.buttonTallowfenBackB(x, y)) {
                        game.endProgram();
                    }
                    break;
                case HollyBlitz.SUBMITSCORE:
                    game.buttonSubmit(x, y);
                    game.buttonCancel(x, y);
                    game.buttonHighscoreA(x, y);
                    break;
                default:
                    break;
            }
        } catch (PageOpener.PageNotOpened e) {
            // Already reported where the page was asked for.
        }
    }
}
