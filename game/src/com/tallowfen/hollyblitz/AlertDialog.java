package com.tallowfen.hollyblitz;

import java.awt.Button;
import java.awt.Color;
import java.awt.Component;
import java.awt.Dialog;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Frame;
import java.awt.Graphics;
import java.awt.Insets;
import java.awt.Label;
import java.awt.Point;
import java.awt.Rectangle;
import java.awt.Window;
import java.awt.event.ActionEvent;
import java.awt.event.ActionListener;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.lang.reflect.InvocationTargetException;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/**
 * A small message box of fixed size: a title, one centred line of text and
 * one button that closes it. Its content area stays 228 by 128 pixels
 * whatever borders the platform draws around it. The message is always
 * shown whole: see {@link MessageLabel}.
 */
public class AlertDialog extends Dialog {

    private static final long serialVersionUID = 1L;

    boolean fComponentsAdjusted = false;
    Label infoLabel = new MessageLabel();
    Button exitButton = new Button();

    public AlertDialog(Frame parent) {
        super(parent);
        setLayout(null);
        setBackground(Color.lightGray);
        setSize(228, 128);
        setVisible(false);
        infoLabel.setText("text");
        infoLabel.setAlignment(Label.CENTER);
        add(infoLabel);
        infoLabel.setBounds(24, 24, 192, 48);
        exitButton.setLabel("exitButton");
        add(exitButton);
        exitButton.setBounds(84, 84, 60, 24);
        addWindowListener(new SymWindow());
        exitButton.addActionListener(new SymAction());
    }

    public AlertDialog(Frame parent, boolean modal) {
        this(parent);
        setModal(modal);
    }

    public AlertDialog(Frame parent, String title, boolean modal) {
        this(parent, modal);
        setTitle(title);
    }

    public void setAlertTitle(String title) {
        setTitle(title);
    }

    public void setAlertMessage(String message) {
        infoLabel.setText(message);
    }

    public void setAlertButtonLabel(String label) {
        exitButton.setLabel(label);
    }

    /**
     * Shows the dialog centred over its owner, or hides it.
     *
     * A modal dialog shows and hides on the event thread, whichever thread
     * asks. The toolkit's modal wait, started from another thread, begins a
     * moment after the dialog is up; a close in that moment would hide the
     * dialog and leave the caller waiting for good. On the event thread the
     * showing and the start of the wait are one step, and every close is
     * handled after it.
     */
    @Override
    public void setVisible(boolean b) {
        Window owner = getOwner();
        if (b && owner != null) {
            Rectangle over = owner.getBounds();
            Rectangle size = getBounds();
            setLocation(over.x + (over.width - size.width) / 2, over.y + (over.height - size.height) / 2);
        }
        if (!isModal() || EventQueue.isDispatchThread()) {
            super.setVisible(b);
            return;
        }
        try {
            EventQueue.invokeAndWait(() -> super.setVisible(b));
        } catch (InterruptedException e) {
            // As the toolkit's own modal wait does: an interrupted caller goes on.
            Thread.currentThread().interrupt();
        } catch (InvocationTargetException e) {
            Throwable cause = e.getCause();
            if (cause instanceof RuntimeException) {
                throw (RuntimeException) cause;
            }
            if (cause instanceof Error) {
                throw (Error) cause;
            }
            throw new IllegalStateException(cause);
        }
    }

    /** Grows the dialog by its borders once, so the content area keeps its size. */
    @Override
    public void addNotify() {
        Dimension content = getSize();
        super.addNotify();
        if (fComponentsAdjusted) {
            return;
        }
        Insets insets = getInsets();
        setSize(insets.left + insets.right + content.width, insets.top + insets.bottom + content.height);
        for (Component child : getComponents()) {
            Point at = child.getLocation();
            at.translate(insets.left, insets.top);
            child.setLocation(at);
        }
        fComponentsAdjusted = true;
    }

    public void AlertDialog_WindowClosing(WindowEvent event) {
        setVisible(false);
    }

    public void exitButton_ActionPerformed(ActionEvent event) {
        exitButton_ActionPerformed_Interaction1(event);
    }

    public void exitButton_ActionPerformed_Interaction1(ActionEvent event) {
        try {
            setVisible(false);
        } catch (Exception e) {
            // Closing must never fail in front of the player; a dialog that stays is the worst case.
        }
    }

    class SymWindow extends WindowAdapter {
        @Override
        public void windowClosing(WindowEvent event) {
            if (event.getSource() == AlertDialog.this) {
                AlertDialog_WindowClosing(event);
            }
        }
    }

    class SymAction implements ActionListener {
        @Override
        public void actionPerformed(ActionEvent event) {
            if (event.getSource() == exitButton) {
                exitButton_ActionPerformed(event);
            }
        }
    }

    /**
     * The message line. The label was laid out for a narrower face than some
     * desktops have, and a label of the platform cuts a text that is too wide
     * at both ends. This one writes the whole message, centred in its box: on
     * one line when it fits in the label's font or a size below it,
     * otherwise broken between words over as many lines as the box holds, in
     * the largest size of the same family at which every line fits (never
     * below a legible least size; a message too long even then ends in an
     * ellipsis).
     */
    static class MessageLabel extends Label {
        private static final long serialVersionUID = 1L;

        /** The smallest size written; below it the face is hard to read. */
        static final int LEAST_SIZE = 9;
        /** How many sizes below the label's font a message may shrink to stay on one line. */
        static final int ONE_LINE_SHRINK = 1;
        /** Clear pixels kept on each side, so no glyph touches the box's edge. */
        static final int PAD = 2;

        /** A message as written: the font and the lines. */
        static final class Lines {
            final Font font;
            final List<String> lines;

            Lines(Font font, List<String> lines) {
                this.font = font;
                this.lines = lines;
            }
        }

        @Override
        public void paint(Graphics g) {
            // The platform's label has drawn its own single line; write over it.
            Lines written = written();
            g.setColor(getBackground());
            g.fillRect(0, 0, getWidth(), getHeight());
            g.setColor(getForeground());
            g.setFont(written.font);
            FontMetrics fm = g.getFontMetrics(written.font);
            int top = (getHeight() - written.lines.size() * fm.getHeight()) / 2;
            for (int i = 0; i < written.lines.size(); i++) {
                String line = written.lines.get(i);
                int width = fm.stringWidth(line);
                int x;
                switch (getAlignment()) {
                    case LEFT:
                        x = PAD;
                        break;
                    case RIGHT:
                        x = getWidth() - PAD - width;
                        break;
                    default:
                        x = (getWidth() - width) / 2;
                }
                g.drawString(line, x, top + i * fm.getHeight() + fm.getAscent());
            }
        }

        /** How the current message is written in the current box, measured with this label's fonts. */
        Lines written() {
            Font base = getFont() != null ? getFont() : new Font("Dialog", Font.PLAIN, 12);
            String text = getText() == null ? "" : getText().trim();
            int width = Math.max(1, getWidth() - 2 * PAD);
            int height = getHeight();
            for (int size = base.getSize(); size >= base.getSize() - ONE_LINE_SHRINK && size >= LEAST_SIZE; size--) {
                Font font = base.deriveFont((float) size);
                FontMetrics fm = getFontMetrics(font);
                if (fm.stringWidth(text) <= width && fm.getHeight() <= height) {
                    return new Lines(font, Collections.singletonList(text));
                }
            }
            for (int size = base.getSize(); size > LEAST_SIZE; size--) {
                Font font = base.deriveFont((float) size);
                FontMetrics fm = getFontMetrics(font);
                List<String> lines = wrap(text, fm, width);
                if (lines.size() * fm.getHeight() <= height) {
                    return new Lines(font, lines);
                }
            }
            Font font = base.deriveFont((float) LEAST_SIZE);
            FontMetrics fm = getFontMetrics(font);
            List<String> lines = wrap(text, fm, width);
            int room = Math.max(1, height / fm.getHeight());
            if (lines.size() > room) {
                lines = new ArrayList<String>(lines.subList(0, room));
                String last = lines.get(room - 1) + "\u2026";
                while (last.length() > 1 && fm.stringWidth(last) > width) {
                    last = last.substring(0, last.length() - 2) + "\u2026";
                }
                lines.set(room - 1, last);
            }
            return new Lines(font, lines);
        }

        /** Breaks a text between words into lines no wider than the width; a longer word is split. */
        static List<String> wrap(String text, FontMetrics fm, int width) {
            List<String> lines = new ArrayList<String>();
            StringBuilder line = new StringBuilder();
            for (String word : text.split(" +")) {
                String joined = line.length() == 0 ? word : line + " " + word;
                if (fm.stringWidth(joined) <= width) {
                    line.setLength(0);
                    line.append(joined);
                    continue;
                }
                if (line.length() > 0) {
                    lines.add(line.toString());
                    line.setLength(0);
                }
                while (fm.stringWidth(word) > width && word.length() > 1) {
                    int fits = 1;
                    while (fits < word.length() && fm.stringWidth(word.substring(0, fits + 1)) <= width) {
                        fits++;
                    }
                    lines.add(word.substring(0, fits));
                    word = word.substring(fits);
                }
                line.append(word);
            }
            if (line.length() > 0 || lines.isEmpty()) {
                lines.add(line.toString());
            }
            return lines;
        }
    }
}
