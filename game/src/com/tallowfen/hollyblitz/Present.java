package com.tallowfen.hollyblitz;

/**
 * A present dropped by Santa. It falls straight down; shot, it bursts
 * harmlessly where it was hit; on the ground it explodes, decorates every
 * barrack beside it and, landing at the gun, turns the gun into a tree.
 */
class Present extends GameObject {

    /** How close, strictly, a landing present must come to the gun or a barrack to change it. */
    static final int REACH = 32;

    Present(HollyBlitz game, Sleigh sleigh) {
        super(game, HollyBlitz.PRESENTA, game.randomBelow(2) == 0 ? HollyBlitz.PRESENTA : HollyBlitz.PRESENTB);
        game.presents.add(this);
        setCollisionRect();
        anim = 0;
        collidesWithShell = true;
        drawInBackground = false;
        xVel = 0;
        yVel = HollyBlitz.PRESENTSPEED;
        xPos = sleigh.xPos;
        yPos = sleigh.yPos;
        game.playSound(HollyBlitz.PRESENTDROP + sleigh.nextDropSound());
    }

    /** Falls at a constant speed; lands once, at ground level. */
    @Override
    void doMove() {
        xPos += xVel;
        yPos += yVel;
        if (yPos > HollyBlitz.GROUNDLEVEL) {
            yPos = HollyBlitz.GROUNDLEVEL;
            gameType = HollyBlitz.PRESENTEXPLODINGA;
            imageRef = imageRef == HollyBlitz.PRESENTA ? HollyBlitz.PRESENTEXPLODINGA : HollyBlitz.PRESENTEXPLODINGB;
            cycleOnce = true;
            anim = 0;
            nextImageRef = HollyBlitz.NULLOBJECT;
            collidesWithShell = false;
            yVel = 0;
            game.playSound(HollyBlitz.PRESENTEXPLODE);
            checkDecorate();
        }
    }

    /** The gun first, then every barrack in reach, not only the first. */
    void checkDecorate() {
        if (inReach(game.gun)) {
            gunToTree();
        }
        for (int i = 0; i < game.barracks.size(); i++) {
            Barrack barrack = Barrack.at(game, i);
            if (barrack != null && barrack.decorated < Barrack.FULL && inReach(barrack)) {
                decorate(barrack);
            }
        }
    }

    private boolean inReach(GameObject o) {
        return xPos + REACH > o.xPos && xPos - REACH < o.xPos;
    }

    /** A decoration by a present makes no sound. */
    void decorate(Barrack barrack) {
        barrack.addDecoration(this);
    }

    /** The gun becomes the tree and the game ends; the change puff is made from this object. */
    void gunToTree() {
        game.gun.turnIntoTree(new Smoke(game, this));
    }

    /** Shot in the air: two points and a burst where it was hit. */
    @Override
    void doBlasted(Shell shell, GameObject present) {
        game.addPoints(2);
        collidesWithShell = false;
        gameType = HollyBlitz.PRESENTBLASTED;
        imageRef = HollyBlitz.PRESENTBLASTED;
        cycleOnce = true;
        anim = 0;
        nextImageRef = HollyBlitz.NULLOBJECT;
        xVel = 0;
        yVel = 0;
        game.playSound(HollyBlitz.PRESENTBURST1 + game.randomBelow(2));
    }

    @Override
    void discard() {
        game.presents.remove(this);
    }
}
