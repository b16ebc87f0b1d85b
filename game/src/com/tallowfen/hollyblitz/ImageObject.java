package com.tallowfen.hollyblitz;

import java.awt.Image;

/**
 * The frames of one picture of the game, filled from slot 0 upward; an
 * animation ends at its first empty slot.
 */
class ImageObject {

    /** Room for 63 frames and the empty slot that always follows the last one. */
    static final int FRAME_SLOTS = 64;

    Image[] objectImage = new Image[FRAME_SLOTS];
}
