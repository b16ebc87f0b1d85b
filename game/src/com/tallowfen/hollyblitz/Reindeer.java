package com.tallowfen.hollyblitz;

/**
 * A reindeer of a convoy's team, the only part of a convoy a shell can
 * destroy. Shot, it is thrown along the shell's path, and its sleigh checks
 * which reins are now cut.
 */
class Reindeer extends GameObject {

    final Sleigh parent;
    final int teamPosition;

    Reindeer(HollyBlitz game, Sleigh sleigh, int position) {
        super(game, HollyBlitz.REINDEERLR, HollyBlitz.REINDEERLR);
        game.reindeers.add(this);
        teamPosition = position;
        parent = sleigh;
        anim = 0;
        collidesWithShell = true;
        drawInBackground = false;
        // The left-to-right picture gives the box for both directions.
        setCollisionRect();
        yVel = 0;
        yPos = sleigh.yPos;
        imageRef = sleigh.heading == 90 ? HollyBlitz.REINDEERLR : HollyBlitz.REINDEERRL;
        xVel = sleigh.xVel;
        xPos = Sleigh.memberX(game, sleigh.heading, position);
    }

    @Override
    void doBlasted(Shell shell, GameObject reindeer) {
        game.addPoints(1);
        collidesWithShell = false;
        gameType = HollyBlitz.REINDEERBLASTEDLR;
        imageRef = xPos >= game.gun.xPos ? HollyBlitz.REINDEERBLASTEDLR : HollyBlitz.REINDEERBLASTEDRL;
        setBlastVector(shell, this);
        int k = game.randomBelow(3);
        game.playSound(HollyBlitz.DEERHIT1 + k);
        parent.loseReindeer(teamPosition);
    }

    @Override
    void discard() {
        game.reindeers.remove(this);
    }
}
