package com.tallowfen.hollyblitz;

import java.util.Vector;

/**
 * An ordinary sleigh: the rear of a convoy that crosses the sky in one layer,
 * pulled by two to four reindeer, dropping elves at its drop points. Shells
 * cannot hurt it; it crashes when its last reindeer is shot. Santa's sleigh
 * builds on it.
 */
class Sleigh extends GameObject {

    /** Where a sleigh releases cargo: once its x has passed xPos in its direction of flight. */
    static final class DropPoint {
        final int xPos;
        /** True for a left-to-right sleigh, which reaches the point when its x rises above xPos. */
        final boolean HeadingPos;

        DropPoint(int xPos, boolean headingPos) {
            this.xPos = xPos;
            this.HeadingPos = headingPos;
        }
    }

    /** 90 flies left to right, 270 right to left. */
    int heading;
    /** Sky layer 0 (highest) to 3. */
    int layer;
    /** Steps until the next trail puff while crashing. */
    int smokeCounter;
    /** Which of the three drop sounds this sleigh's next present plays. */
    int dropSound;
    /** Pending drop points, the next one reached first. */
    final Vector<DropPoint> dropPoints = new Vector<DropPoint>(11);
    Banner banner;
    /** Number of reindeer pulling the sleigh. */
    int length;
    /** Reindeer by team position, 0 the lead; emptied as they are shot. */
    final Reindeer[] team = new Reindeer[8];
    /** The rein behind each reindeer, emptied as the harness is cut. */
    final Rein[] tack = new Rein[8];

    /** A bare sleigh, not yet in the sky. */
    Sleigh(HollyBlitz game) {
        super(game);
    }

    /** The bare parts every sleigh has, of the given type; each kind of convoy builds the rest itself. */
    Sleigh(HollyBlitz game, int type) {
        super(game, type, type);
    }

    /** A whole ordinary convoy: sleigh, team, reins, drop points and perhaps a banner. */
    Sleigh(HollyBlitz game, int size, int height, double speed, int facing) {
        this(game, HollyBlitz.SLEIGHELFLR);
        game.sleighs.add(this);
        collidesWithShell = true;
        drawInBackground = false;
        layer = height;
        smokeCounter = 0;
        // The left-to-right picture gives the box for both directions.
        setCollisionRect();
        fly(size, speed, facing, HollyBlitz.SLEIGHELFLR, HollyBlitz.SLEIGHELFRL);
        harness();
        setDropPoints();
        if (layer == 0 && game.randomBelow(100) < HollyBlitz.BANNERPERCENT) {
            banner = new Banner(game, this);
        }
    }

    /** Height, direction, speed and entry point of a convoy of `size` reindeer. */
    final void fly(int size, double speed, int facing, int pictureLR, int pictureRL) {
        yVel = 0;
        yPos = 40 + HollyBlitz.SLEIGHHEIGHT * layer;
        if (facing == 0) {
            heading = 90;
            imageRef = pictureLR;
            xVel = speed;
        } else {
            heading = 270;
            imageRef = pictureRL;
            xVel = -speed;
        }
        xPos = memberX(game, heading, size);
        length = size;
    }

    /** The team and its reins, lead first. */
    final void harness() {
        for (int n = 0; n < length; n++) {
            team[n] = new Reindeer(game, this, n);
            tack[n] = new Rein(game, this, n);
        }
    }

    /**
     * Starting x of the convoy member n places from the lead: reindeer n, or
     * the sleigh itself for n = length. The lead starts nearest the window.
     */
    static int memberX(HollyBlitz game, int heading, int n) {
        int offset = HollyBlitz.SLEIGHLENGTH + HollyBlitz.HARNESSLENGTH * n;
        return heading == 90 ? -offset : game.xScreenSize + offset;
    }

    /** Picks this sleigh's drop points among the eleven candidates, by chance and the layer's window. */
    void setDropPoints() {
        int step = game.xScreenSize / 13;
        int chance = HollyBlitz.DROPPERCENT - 5 * layer;
        for (int k = 0; k < 11; k++) {
            int i = heading == 90 ? k : 10 - k;
            // Every candidate takes its draw, whether or not the layer could use it.
            if (game.randomBelow(100) >= chance || !inLayerWindow(i)) {
                continue;
            }
            dropPoints.add(new DropPoint(13 + (i + 1) * step, heading == 90));
        }
    }

    /** Lower layers drop only over the middle of the base: layer 3 not at the two outer candidates, layer 2 not at the outermost. */
    private boolean inLayerWindow(int i) {
        if (layer == 3) {
            return i >= 2 && i <= 8;
        }
        if (layer == 2) {
            return i >= 1 && i <= 9;
        }
        return true;
    }

    /** Drops an elf if the next drop point has been passed; at most one per step. */
    void doDrop() {
        if (nextDropReached()) {
            new Elf(game, this);
            dropPoints.remove(0);
        }
    }

    /** Which of the three drop sounds the present dropped now plays; the next one plays the following sound. */
    final int nextDropSound() {
        int sound = dropSound;
        dropSound = dropSound < 2 ? dropSound + 1 : 0;
        return sound;
    }

    /** Whether the sleigh has passed its next drop point, strictly, in its direction of flight. */
    final boolean nextDropReached() {
        if (dropPoints.isEmpty()) {
            return false;
        }
        DropPoint point = dropPoints.get(0);
        return point.HeadingPos ? xPos > point.xPos : xPos < point.xPos;
    }

    /** A wreck leaves a trail puff every sixth step. */
    void doSmoke() {
        smokeWhile(HollyBlitz.SLEIGHCRASHINGLR);
    }

    final void smokeWhile(int crashingType) {
        if (gameType != crashingType) {
            return;
        }
        if (smokeCounter < 1) {
            game.smokeTrails.add(new Smoke(game, this));
            smokeCounter = 6;
        }
        smokeCounter -= 1;
    }

    /** A shell on the sleigh's body only rings: the sleigh cannot be damaged. */
    @Override
    void doBlasted(Shell shell, GameObject sleigh) {
        int k = game.randomBelow(2);
        game.playSound(k == 0 ? HollyBlitz.SLEIGHHITA : HollyBlitz.SLEIGHHITB);
    }

    /** Reindeer `position` of the team was shot: it leaves the team, and the reins it held may go. */
    void loseReindeer(int position) {
        team[position] = null;
        checkReinIntegrity(this);
    }

    /**
     * Cuts the reins from the lead back as far as the first surviving
     * reindeer; cutting the rein next to the sleigh brings it down.
     */
    void checkReinIntegrity(Sleigh sleigh) {
        for (int n = 0; n < length; n++) {
            if (team[n] != null) {
                return;
            }
            if (tack[n] != null) {
                tack[n].discard();
                tack[n] = null;
                if (n == length - 1) {
                    doCrash();
                }
            }
        }
    }

    /** The last reindeer is gone: points, a falling wreck behind the landscape, no more drops, no banner. */
    void doCrash() {
        game.addPoints(length);
        startFalling(HollyBlitz.SLEIGHCRASHINGLR, HollyBlitz.SLEIGHCRASHINGRL);
        int k = game.randomBelow(5);
        game.playSound(HollyBlitz.SLEIGHFALLING1 + k);
        yVel = HollyBlitz.CRASHVELOCITY;
        dropPoints.clear();
        if (banner != null) {
            banner.discard();
        }
    }

    /** The wreck's state and picture; it goes on sideways at its flying speed. */
    final void startFalling(int crashingLR, int crashingRL) {
        collidesWithShell = false;
        drawInBackground = true;
        gameType = crashingLR;
        anim = 0;
        imageRef = xVel > 0 ? crashingLR : crashingRL;
    }

    /** Off the screen: frees the sky layer and takes the banner along. */
    @Override
    void discard() {
        SleighManager manager = game.sleighManager;
        if (manager != null) {
            manager.freeLayer(layer);
        }
        game.sleighs.remove(this);
        if (banner != null) {
            game.banners.remove(banner);
        }
    }

}
