package com.tallowfen.hollyblitz;

import java.awt.Image;

/**
 * The player's anti-aircraft gun in the middle of the base. It turns within
 * the upper half-circle, shows one barrel frame per direction, fires shells
 * at a fixed cadence, and turns into a Christmas tree when the elves or a
 * present get to it, which ends the game.
 */
class AAAGun extends GameObject {

    /** Degrees turned per logic step while a turn key is held. */
    static final int TURNSTEP = 4;
    static final double GUNX = 300.0;
    static final double GUNY = 325.0;
    /** The tree's centre stands this far above the gun's. */
    static final double TREERISE = 38.0;

    /** Whole degrees clockwise from straight up; within 270..360 or 0..90. */
    int heading;
    /** Logic steps still to pass before the next shot; 0 when the gun may fire. */
    int fireTimer;
    /** Elves that have reached their place on the ladder. */
    int ladderElves;

    AAAGun(HollyBlitz game) {
        super(game, HollyBlitz.AAAGUN, HollyBlitz.AAAGUN);
        anim = barrelFrame(0);
        xPos = GUNX;
        yPos = GUNY;
        heading = 0;
        fireTimer = 0;
        ladderElves = 0;
        setCollisionRect();
        collidesWithShell = false;
        drawInBackground = false;
    }

    /** How many elves stand on the ladder. */
    int elvesOnLadder() {
        return ladderElves;
    }

    /** Whether the gun has turned into the Christmas tree. */
    boolean isTree() {
        return imageRef == HollyBlitz.XMASTREE;
    }

    /** An elf has reached its place on the ladder; returns how many are there now. */
    int takeLadderElf() {
        ladderElves += 1;
        return ladderElves;
    }

    /** The barrel frame for a heading: 0 points left, 16 up, 31 right. */
    static int barrelFrame(int heading) {
        return heading <= 90 ? 16 + heading / 6 : (heading - 270) / 6;
    }

    /**
     * One logic step of the turret: turn left, then right, for the held keys,
     * never past straight left or straight right; fire when the gun is ready;
     * show the barrel that matches the heading.
     */
    void turret(boolean turnLeft, boolean turnRight, boolean fire) {
        if (turnLeft) {
            heading -= TURNSTEP;
            if (heading < 0) {
                heading += 360;
            }
            if (heading > 90 && heading < 270) {
                heading = 270;
            }
        }
        if (turnRight) {
            heading += TURNSTEP;
            if (heading > 360) {
                heading -= 360;
            }
            if (heading > 90 && heading < 270) {
                heading = 90;
            }
        }
        if (fire && fireTimer < 1) {
            fireShell();
        }
        anim = barrelFrame(heading);
    }

    /** Counts down to the next allowed shot; called once per logic step of a running game. */
    void gunTimer() {
        if (fireTimer > 0) {
            fireTimer--;
        }
    }

    /** Fires one shell along the barrel unless too many fly or the gun is not ready yet. */
    void fireShell() {
        if (game.shells.size() >= HollyBlitz.MAXSHELLS || fireTimer >= 1) {
            return;
        }
        double rad = game.toRadians(heading);
        new Shell(game, this).launch(Math.sin(rad) * HollyBlitz.SHELLVELOCITY, Math.cos(rad) * HollyBlitz.SHELLVELOCITY);
        fireTimer = HollyBlitz.SHELLDELAY;
        game.playSound(HollyBlitz.GUNFIRING);
    }

    /**
     * Turns the gun into the Christmas tree and ends the game; the puff made
     * from whatever caused it covers the change. A tree stays a tree: a second
     * call does nothing and the puff is dropped.
     */
    void turnIntoTree(GameObject puff) {
        if (gameType == HollyBlitz.XMASTREE) {
            return;
        }
        puff.becomeChangePuff(this);
        game.smokeTrails.add(puff);
        imageRef = HollyBlitz.XMASTREE;
        gameType = HollyBlitz.XMASTREE;
        heading = 0;
        anim = 0;
        yPos -= TREERISE;
        game.gameEnd();
    }

    /** The gun shows the frame the turret chose and never animates; the tree animates as usual. */
    @Override
    void drawObject() {
        if (gameType != HollyBlitz.AAAGUN) {
            super.drawObject();
            return;
        }
        game.setIntPosition(this);
        Image frame = game.frame(imageRef, anim);
        if (frame != null) {
            drawCentred(frame);
        }
    }
}
