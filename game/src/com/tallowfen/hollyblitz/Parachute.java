package com.tallowfen.hollyblitz;

/**
 * The canopy an elf opens on its way down. It sinks with its elf; shooting it
 * sends the elf into free fall, after which the elf can no longer be hit.
 */
class Parachute extends GameObject {

    final Elf parent;

    Parachute(HollyBlitz game, Elf elf) {
        super(game, HollyBlitz.PARACHUTE, HollyBlitz.PARACHUTE);
        game.parachutes.add(this);
        setCollisionRect();
        // Opens once, then the open canopy loops.
        anim = 0;
        imageRef = HollyBlitz.PARACHUTEOPENING;
        cycleOnce = true;
        nextImageRef = HollyBlitz.PARACHUTE;
        collidesWithShell = true;
        drawInBackground = false;
        parent = elf;
        xVel = elf.xVel;
        yVel = HollyBlitz.CHUTESPEED;
        xPos = elf.xPos;
        // On top of the elf, the two boxes touching.
        yPos = elf.yPos - (elf.height + height);
    }

    /** Shot: a point, and the elf drops at full speed, no longer a target. */
    @Override
    void doBlasted(Shell shell, GameObject parachute) {
        game.addPoints(1);
        collidesWithShell = false;
        parent.loseParachute();
        game.playSound(HollyBlitz.PARACHUTESHREDDED);
        discard();
    }

    @Override
    void discard() {
        game.parachutes.remove(this);
    }
}
