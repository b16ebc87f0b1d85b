package com.tallowfen.hollyblitz;

import java.awt.Button;
import java.awt.Color;
import java.awt.Component;
import java.awt.Dialog;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
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

/**
 * A small message box of fixed size: a title, one centred line of text and
 * one button that closes it. Its content area stays 228 by 128 pixels
 * whatever borders the platform draws around it.
 */
public class AlertDialog extends Dialog {

    private static final long serialVersionUID = 1L;

    boolean fComponentsAdjusted = false;
    Label infoLabel = new Label();
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
}
