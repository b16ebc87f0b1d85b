package com.tallowfen.hollyblitz;

import java.awt.Image;

/**
 * Anything that moves or is drawn in the game: a sprite centred on its
 * position, flying in a straight line, animated one frame per paint pass and
 * taken out of the game once it is far enough off the screen. World classes
 * derive from it and override what they do differently.
 */
class GameObject {

    final HollyBlitz game;
    /** The object's kind and state, written as an image id. */
    int gameType;
    /** The picture now shown; may differ from gameType. */
    int imageRef;
    /** Frame slot to draw next. */
    int anim;
    boolean cycleOnce;
    /** Picture that follows a one-shot animation; NULLOBJECT means the object goes away instead. */
    int nextImageRef;
    double xPos;
    double yPos;
    int xIntPos;
    int yIntPos;
    double xVel;
    double yVel;
    /** Half extents of the collision box, fixed by the first picture. */
    int width;
    int height;
    boolean drawInBackground;
    boolean collidesWithShell;

    GameObject(HollyBlitz game) {
        this.game = game;
    }

    /** An object of the given type, showing the given picture from its first frame. */
    GameObject(HollyBlitz game, int type, int picture) {
        this.game = game;
        gameType = type;
        imageRef = picture;
    }

    /** Takes on a new type and shows its picture. */
    void become(int type) {
        gameType = type;
        imageRef = type;
    }

    /** Takes the collision box from frame 0 of the current picture; a frame without a size gives 0. */
    void setCollisionRect() {
        Image frame = game.frame(imageRef, 0);
        if (frame == null) {
            width = 0;
            height = 0;
            return;
        }
        width = frame.getWidth(game.thisFrame) / 2;
        height = frame.getHeight(game.thisFrame) / 2;
    }

    /** One logic step of straight flight; far enough off the screen the object leaves the game. */
    void doMove() {
        xPos += xVel;
        yPos += yVel;
        int xSize = game.xScreenSize;
        int ySize = game.yScreenSize;
        // A wide margin, so convoys can enter from far outside.
        if (xPos > 2 * xSize || xPos < -xSize) {
            discard();
        }
        if (yPos > 1.2 * ySize || yPos < -0.2 * ySize) {
            discard();
        }
    }

    /** Takes the object out of the game; classes held in a world list remove themselves there. */
    void discard() {
    }

    /** Draws the current frame into the back buffer and moves on to the next one. */
    void drawObject() {
        game.setIntPosition(this);
        if (game.frame(imageRef, anim) == null) {
            anim = 0;
            if (cycleOnce) {
                if (nextImageRef == HollyBlitz.NULLOBJECT) {
                    discard();
                    return;
                }
                imageRef = nextImageRef;
                nextImageRef = HollyBlitz.NULLOBJECT;
                cycleOnce = false;
            }
        }
        Image frame = game.frame(imageRef, anim);
        if (frame == null) {
            // A picture without frames has nothing to show.
            return;
        }
        drawCentred(frame);
        anim++;
    }

    /** Draws a frame centred on the object's whole-pixel position, below the inset rows. */
    void drawCentred(Image frame) {
        int w = frame.getWidth(game.thisFrame);
        int h = frame.getHeight(game.thisFrame);
        game.offscreen.drawImage(frame, xIntPos - w / 2, yIntPos - h / 2 + HollyBlitz.INSET, game.thisFrame);
    }

    /** Knocks this hit object (`target` is itself) away at twice the speed of the shell that hit it. */
    void setBlastVector(GameObject shell, GameObject target) {
        xVel = shell.xVel * 2.0;
        yVel = shell.yVel * 2.0;
    }

    /** Becomes the still puff that covers a change of picture, centred on the object that changed. */
    void becomeChangePuff(GameObject changed) {
        imageRef = HollyBlitz.CHANGEPUFF;
        xVel = 0;
        yVel = 0;
        xPos = changed.xPos;
        yPos = changed.yPos;
    }

    /**
     * The reaction to a shell's hit; `target` is this object itself. Objects
     * that can be shot have their own; the rest ignore a hit.
     */
    void doBlasted(Shell shell, GameObject target) {
    }

    /** Whether a point lies strictly inside the collision box; its edges are outside. */
    boolean collisionBoxContains(double px, double py) {
        return xPos - width < px && px < xPos + width && yPos - height < py && py < yPos + height;
    }
}
