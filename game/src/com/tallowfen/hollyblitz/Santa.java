package com.tallowfen.hollyblitz;

/**
 * Santa's sleigh: eight reindeer, always in the highest layer, dropping a
 * present over each of eleven fixed places. Worth 50 when brought down.
 */
class Santa extends Sleigh {

    Santa(HollyBlitz game, int size, int height, double speed, int facing) {
        super(game, HollyBlitz.SANTALR);
        game.sleighs.add(this);
        collidesWithShell = true;
        drawInBackground = false;
        layer = height;
        setCollisionRect();
        smokeCounter = 0;
        dropSound = 0;
        fly(size, speed, facing, HollyBlitz.SANTALR, HollyBlitz.SANTARL);
        harness();
        setDropPoints();
        // Heard before the convoy comes into sight.
        game.playSound(HollyBlitz.SANTAAPPEARS);
    }

    /** All eleven places, without chance or layer window, in the order of flight. */
    @Override
    void setDropPoints() {
        int step = game.xScreenSize / 13;
        for (int k = 0; k < 11; k++) {
            int i = heading == 90 ? k : 10 - k;
            dropPoints.add(new DropPoint((i + 1) * step, heading == 90));
        }
    }

    @Override
    void doDrop() {
        if (nextDropReached()) {
            new Present(game, this);
            dropPoints.remove(0);
        }
    }

    @Override
    void doSmoke() {
        smokeWhile(HollyBlitz.SANTACRASHINGLR);
    }

    @Override
    void doCrash() {
        game.addPoints(50);
        startFalling(HollyBlitz.SANTACRASHINGLR, HollyBlitz.SANTACRASHINGRL);
        yVel = HollyBlitz.CRASHVELOCITY;
        dropPoints.clear();
        game.playSound(HollyBlitz.SANTACRASH);
    }
}
