package com.tallowfen.hollyblitz;

/**
 * A puff of smoke that plays once where it was left and then goes away: a
 * trail puff behind a crashing sleigh, or a change puff over a barrack or the
 * gun that has just changed its picture. Whoever makes a puff adds it to
 * smokeTrails.
 */
class Smoke extends GameObject {

    /** A trail puff two steps back along the source's path, standing still. */
    Smoke(HollyBlitz game, GameObject source) {
        super(game, HollyBlitz.SMOKE, HollyBlitz.SMOKE);
        collidesWithShell = false;
        setCollisionRect();
        xPos = source.xPos - 2.0 * source.xVel;
        yPos = source.yPos - 2.0 * source.yVel;
        xVel = 0;
        yVel = 0;
        anim = 0;
        cycleOnce = true;
        nextImageRef = HollyBlitz.NULLOBJECT;
    }

    /** A change puff made by `source`, centred on `changed`, not yet in any list. */
    static Smoke changePuff(HollyBlitz game, GameObject source, GameObject changed) {
        Smoke puff = new Smoke(game, source);
        puff.becomeChangePuff(changed);
        return puff;
    }

    @Override
    void discard() {
        game.smokeTrails.remove(this);
    }
}
