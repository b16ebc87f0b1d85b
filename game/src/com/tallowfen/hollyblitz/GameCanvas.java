package com.tallowfen.hollyblitz;

import java.awt.Canvas;
import java.awt.Dimension;
import java.awt.Graphics;
import java.awt.event.MouseEvent;
import java.awt.event.MouseListener;

/**
 * The game window's drawing area: exactly the 600 x 450 play area, whatever
 * title bar and borders the desktop adds. It shows rows 22 to 471 of the back
 * buffer, and hands mouse presses on to the window's listeners in the window
 * coordinates the game works in (play-area y plus INSET), so the picture and
 * the buttons line up on every desktop.
 */
class GameCanvas extends Canvas {

    private static final long serialVersionUID = 1L;

    private final HollyBlitz game;

    GameCanvas(HollyBlitz game) {
        this.game = game;
        enableEvents(java.awt.AWTEvent.MOUSE_EVENT_MASK);
    }

    @Override
    public Dimension getPreferredSize() {
        return new Dimension(game.xScreenSize, game.yScreenSize - HollyBlitz.INSET);
    }

    @Override
    public Dimension getMinimumSize() {
        return getPreferredSize();
    }

    /** Never clears first: the back buffer covers every pixel. */
    @Override
    public void update(Graphics g) {
        paint(g);
    }

    @Override
    public void paint(Graphics g) {
        Graphics window = g.create();
        try {
            // The game draws in window coordinates; this area starts at its own location in the window.
            window.translate(-getX(), -getY());
            game.paint(window);
        } finally {
            window.dispose();
        }
    }

    @Override
    protected void processMouseEvent(MouseEvent e) {
        super.processMouseEvent(e);
        if (e.getID() == MouseEvent.MOUSE_PRESSED) {
            // On a desktop without a window manager a click is how the game gets the keyboard.
            requestFocus();
        }
        MouseEvent inWindow = new MouseEvent(game, e.getID(), e.getWhen(), e.getModifiersEx(),
            e.getX(), e.getY() + HollyBlitz.INSET, e.getClickCount(), e.isPopupTrigger(), e.getButton());
        for (MouseListener l : game.getMouseListeners()) {
            switch (e.getID()) {
                case MouseEvent.MOUSE_PRESSED:
                    l.mousePressed(inWindow);
                    break;
                case MouseEvent.MOUSE_RELEASED:
                    l.mouseReleased(inWindow);
                    break;
                case MouseEvent.MOUSE_CLICKED:
                    l.mouseClicked(inWindow);
                    break;
                case MouseEvent.MOUSE_ENTERED:
                    l.mouseEntered(inWindow);
                    break;
                case MouseEvent.MOUSE_EXITED:
                    l.mouseExited(inWindow);
                    break;
                default:
                    break;
            }
        }
    }
}
