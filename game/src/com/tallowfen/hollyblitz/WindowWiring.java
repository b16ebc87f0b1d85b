package com.tallowfen.hollyblitz;

import java.awt.Component;
import java.awt.Container;
import java.awt.event.ContainerAdapter;
import java.awt.event.ContainerEvent;
import java.awt.event.KeyListener;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;

/**
 * Connects the game window's input to the game's three listeners. Keys reach
 * the game whichever of its components holds the focus, the drawing area and
 * controls added later included; presses and closing come to the window. A
 * window just shown fits itself to its drawing area once more and asks for
 * the focus, so the player can press S at once.
 */
final class WindowWiring {

    private WindowWiring() {
    }

    /** Registers the key, mouse and window listeners on the game's window. */
    static void addListeners(final HollyBlitz game) {
        final KeyListener keys = new HollyBlitzKeyListener(game);
        ContainerAdapter keysForChildren = new ContainerAdapter() {
            @Override
            public void componentAdded(ContainerEvent e) {
                listenForKeys(e.getChild(), keys, this);
            }
        };
        listenForKeys(game, keys, keysForChildren);
        game.addMouseListener(new HollyBlitzMouseListener(game));
        game.addWindowListener(new HollyBlitzWindowListener(game));
        game.addWindowListener(new WindowAdapter() {
            @Override
            public void windowOpened(WindowEvent e) {
                PlayAreaFit.fit(game);
                game.toFront();
                game.playfield.requestFocus();
            }
        });
    }

    private static void listenForKeys(Component c, KeyListener keys, ContainerAdapter keysForChildren) {
        c.addKeyListener(keys);
        if (c instanceof Container) {
            Container box = (Container) c;
            box.addContainerListener(keysForChildren);
            for (Component child : box.getComponents()) {
                listenForKeys(child, keys, keysForChildren);
            }
        }
    }
}
