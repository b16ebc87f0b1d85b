package com.tallowfen.hollyblitz;

import java.awt.Checkbox;
import java.awt.Component;
import java.awt.Container;
import java.awt.Dimension;
import java.awt.Insets;
import java.awt.LayoutManager;
import java.awt.Rectangle;
import java.awt.TextField;
import java.awt.event.TextEvent;
import java.awt.event.TextListener;
import java.util.IdentityHashMap;
import java.util.Map;

/**
 * The score entry form over the score entry panel: the score (read only),
 * the player's name, the e-mail address and the news opt-in box. The panel
 * picture carries the labels; the controls are children of the game window,
 * placed where the panel expects them. The fields keep their text between
 * showings.
 */
class ScoreInterface {

    final HollyBlitz game;
    final TextField scoreField = new TextField(20);
    final TextField handleField = new TextField(20);
    final TextField emailField = new TextField(24);
    final Checkbox emailCheckbox = new Checkbox();
    private final Component[] controls = {scoreField, handleField, emailField, emailCheckbox};

    ScoreInterface(HollyBlitz game) {
        this.game = game;
        scoreField.setEditable(false);
        limitLength(handleField, ScoreLimits.MAX_NAME_CHARS);
        limitLength(emailField, ScoreLimits.MAX_EMAIL_CHARS);
        emailCheckbox.setState(true);
        Placement placement = new Placement(game.playfield);
        game.setLayout(placement);
        // Bounds as on the panel, in window coordinates with the title bar INSET rows high.
        place(placement, scoreField, 310, 74, 128, 24);
        place(placement, handleField, 310, 106, 128, 24);
        place(placement, emailField, 310, 138, 128, 24);
        place(placement, emailCheckbox, 170, 180, 12, 12);
        setVisible(false);
    }

    /** The field takes no more characters than the score server does; the rest of a paste is cut. */
    private static void limitLength(final TextField field, final int max) {
        field.addTextListener(new TextListener() {
            @Override
            public void textValueChanged(TextEvent e) {
                String text = field.getText();
                if (text.length() > max) {
                    int caret = field.getCaretPosition();
                    field.setText(text.substring(0, max));
                    field.setCaretPosition(Math.min(caret, max));
                }
            }
        });
    }

    private void place(Placement placement, Component c, int x, int y, int width, int height) {
        placement.at.put(c, new Rectangle(x, y - HollyBlitz.INSET, width, height));
    }

    /** Shows the form with the score as the player sees it, ready for the name. */
    void showScoreInterface() {
        scoreField.setText(Integer.toString(HollyBlitz.pointsShown(game.score)));
        if (scoreField.getParent() == null) {
            // The controls join the window when the form is first shown: making
            // their system parts took a third of the game's start-up, and many
            // games end without the form. Index 0: in front of the drawing area.
            for (Component c : controls) {
                game.add(c, 0);
            }
        }
        setVisible(true);
        game.validate();
        handleField.requestFocus();
    }

    /** Hides the form; the keys go back to the game. */
    void hideScoreInterface() {
        setVisible(false);
        game.playfield.requestFocus();
    }

    private void setVisible(boolean b) {
        for (Component c : controls) {
            c.setVisible(b);
        }
    }

    /**
     * The game window's layout: the drawing area fills the space inside the
     * borders, and each form control keeps its place relative to the drawing
     * area, the same mapping that mouse presses get.
     */
    static final class Placement implements LayoutManager {

        final Map<Component, Rectangle> at = new IdentityHashMap<Component, Rectangle>();
        private final Component playfield;

        Placement(Component playfield) {
            this.playfield = playfield;
        }

        @Override
        public void layoutContainer(Container window) {
            Insets in = window.getInsets();
            Dimension area = playfield.getPreferredSize();
            playfield.setBounds(in.left, in.top, area.width, area.height);
            for (Map.Entry<Component, Rectangle> e : at.entrySet()) {
                Rectangle r = e.getValue();
                e.getKey().setBounds(in.left + r.x, in.top + r.y, r.width, r.height);
            }
        }

        @Override
        public Dimension preferredLayoutSize(Container window) {
            Insets in = window.getInsets();
            Dimension area = playfield.getPreferredSize();
            return new Dimension(in.left + area.width + in.right, in.top + area.height + in.bottom);
        }

        @Override
        public Dimension minimumLayoutSize(Container window) {
            return preferredLayoutSize(window);
        }

        @Override
        public void addLayoutComponent(String name, Component c) {
        }

        @Override
        public void removeLayoutComponent(Component c) {
            at.remove(c);
        }
    }
}
