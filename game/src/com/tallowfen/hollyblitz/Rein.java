package com.tallowfen.hollyblitz;

/**
 * One harness segment of a convoy, behind reindeer n. Shells pass through it;
 * it goes when the sleigh's harness check cuts it or when it flies off.
 */
class Rein extends GameObject {

    Rein(HollyBlitz game, Sleigh sleigh, int n) {
        super(game, HollyBlitz.REIN, HollyBlitz.REIN);
        game.reins.add(this);
        anim = 0;
        drawInBackground = false;
        collidesWithShell = false;
        yPos = sleigh.yPos;
        if (sleigh.heading == 90) {
            xPos = Sleigh.memberX(game, sleigh.heading, n) - HollyBlitz.SLEIGHLENGTH;
        } else {
            xPos = Sleigh.memberX(game, sleigh.heading, n) + HollyBlitz.SLEIGHLENGTH;
        }
        xVel = sleigh.xVel;
    }

    @Override
    void discard() {
        game.reins.remove(this);
    }
}
