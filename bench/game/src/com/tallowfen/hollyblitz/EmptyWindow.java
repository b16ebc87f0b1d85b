package com.tallowfen.hollyblitz;

import java.awt.Frame;

/** The baseline for the game's memory: an empty AWT window of the game's size on the same VM. */
public final class EmptyWindow {

    private EmptyWindow() {
    }

    public static void main(String[] args) throws InterruptedException {
        Frame frame = new Frame("empty");
        frame.setSize(600, 472);
        frame.setVisible(true);
        Thread.sleep(Long.parseLong(args[0]) * 1000);
        System.exit(0);
    }
}
