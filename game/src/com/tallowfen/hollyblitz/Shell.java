package com.tallowfen.hollyblitz;

import java.util.Vector;

/**
 * A shell from the gun: it flies straight until it leaves the sky or hits
 * the first target it finds, where it bursts and stays until its blast has
 * played once.
 */
class Shell extends GameObject {

    Shell(HollyBlitz game, AAAGun gun) {
        super(game, HollyBlitz.SHELL, HollyBlitz.SHELL);
        game.shells.add(this);
        xPos = gun.xPos;
        yPos = gun.yPos;
        xVel = 0;
        yVel = 0;
        collidesWithShell = false;
        drawInBackground = false;
        setCollisionRect();
    }

    /**
     * Leaves the muzzle: from the gun's pivot up to the barrel's end, then on
     * along the barrel at the given thrust (x to the right, y upward). The
     * barrel is a little longer upward than sideways.
     */
    void launch(double xThrust, double yThrust) {
        yPos += 6.0;
        xPos += xThrust * 4.5;
        yPos += -yThrust * 5.0;
        xVel = xThrust;
        yVel = -yThrust;
    }

    /** A shell in flight is of no use once it has left the visible sky; a burst keeps the world's margin. */
    @Override
    void doMove() {
        if (gameType != HollyBlitz.SHELL) {
            super.doMove();
            return;
        }
        xPos += xVel;
        yPos += yVel;
        if (xPos > game.xScreenSize || xPos < 0 || yPos > game.yScreenSize || yPos < 0) {
            discard();
        }
    }

    /**
     * The hit test of one step: sleighs first, then reindeer, elves,
     * parachutes and presents, each list from its start. The first target
     * found takes the blast; true when there was one.
     */
    boolean doCollision(Shell shell) {
        return hitFirstIn(shell, game.sleighs)
            || hitFirstIn(shell, game.reindeers)
            || hitFirstIn(shell, game.elves)
            || hitFirstIn(shell, game.parachutes)
            || hitFirstIn(shell, game.presents);
    }

    private boolean hitFirstIn(Shell shell, Vector<GameObject> targets) {
        // One hold of the list for the whole search instead of one per element: ten shells search
        // every target list in every step.
        synchronized (targets) {
            for (int i = 0; i < targets.size(); i++) {
                GameObject target = targets.get(i);
                if (target.collidesWithShell && checkShellCollision(target)) {
                    target.doBlasted(shell, target);
                    doExplode(shell);
                    return true;
                }
            }
        }
        return false;
    }

    /** Whether this shell, still in flight, lies strictly inside the target's collision box. */
    boolean checkShellCollision(GameObject target) {
        return gameType == HollyBlitz.SHELL && target.collisionBoxContains(xPos, yPos);
    }

    /** The shell (`shell` is this one) bursts where it is: one of the two blasts, played once, then it is gone. */
    void doExplode(Shell shell) {
        gameType = HollyBlitz.SHELLBLASTA;
        int blast = game.randomBelow(2);
        imageRef = blast == 0 ? HollyBlitz.SHELLBLASTA : HollyBlitz.SHELLBLASTB;
        xVel = 0;
        yVel = 0;
        anim = 0;
        cycleOnce = true;
        nextImageRef = HollyBlitz.NULLOBJECT;
    }

    @Override
    void discard() {
        game.shells.remove(this);
    }
}
