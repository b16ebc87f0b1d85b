package com.tallowfen.hollyblitz;

/** The concrete base under the gun: one still picture that never moves and cannot be hit. */
class GunBase extends GameObject {

    /** The base's centre lies this far below the gun's. */
    static final double BASEDROP = 58.0;

    GunBase(HollyBlitz game) {
        super(game, HollyBlitz.AAAGUNBASE, HollyBlitz.AAAGUNBASE);
        anim = 0;
        setCollisionRect();
        xPos = game.gun.xPos;
        yPos = game.gun.yPos + BASEDROP;
        collidesWithShell = false;
    }

    @Override
    void discard() {
        if (game.base == this) {
            game.base = null;
        }
    }
}
