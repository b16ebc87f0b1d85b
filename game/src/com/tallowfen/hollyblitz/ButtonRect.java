package com.tallowfen.hollyblitz;

/**
 * A button's place on a panel picture, in play-area coordinates with both
 * ends included; the panel pictures carry the buttons' artwork there. The
 * buttons of one screen never overlap, so a press acts on at most one.
 */
final class ButtonRect {

    // The front screen.
    static final ButtonRect PLAY = new ButtonRect(477, 553, 49, 108);
    static final ButtonRect TALLOWFEN_FRONT = new ButtonRect(64, 227, 345, 430);
    // The end-game panel.
    static final ButtonRect REPLAY = new ButtonRect(93, 211, 72, 115);
    static final ButtonRect SCORE = new ButtonRect(240, 359, 72, 115);
    static final ButtonRect EXIT = new ButtonRect(388, 506, 72, 115);
    static final ButtonRect HIGHSCORE_B = new ButtonRect(209, 392, 123, 167);
    // The back screens.
    static final ButtonRect THRONEWARD = new ButtonRect(373, 584, 368, 416);
    static final ButtonRect JAVA = new ButtonRect(27, 242, 325, 380);
    static final ButtonRect TALLOWFEN_BACK_B = new ButtonRect(62, 225, 10, 95);
    // The score entry panel.
    static final ButtonRect SUBMIT = new ButtonRect(311, 439, 221, 274);
    static final ButtonRect CANCEL = new ButtonRect(161, 289, 221, 274);
    static final ButtonRect HIGHSCORE_A = new ButtonRect(161, 439, 296, 349);

    final int left;
    final int right;
    final int top;
    final int bottom;

    ButtonRect(int left, int right, int top, int bottom) {
        this.left = left;
        this.right = right;
        this.top = top;
        this.bottom = bottom;
    }

    boolean contains(int x, int y) {
        return x >= left && x <= right && y >= top && y <= bottom;
    }

    boolean overlaps(ButtonRect o) {
        return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
    }
}
