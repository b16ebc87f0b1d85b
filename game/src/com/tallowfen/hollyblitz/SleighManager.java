package com.tallowfen.hollyblitz;

/**
 * Launches the convoys of one game: one per sky layer at most, Santa now and
 * then in the highest layer, more often and faster as the score grows.
 */
class SleighManager {

    final HollyBlitz game;
    /** Steps to the next launch attempt; an attempt comes in any step that begins below 1. */
    int delay = 100;
    /** Which sky layers hold a convoy. */
    final boolean[] skyLayer = new boolean[4];

    SleighManager(HollyBlitz game) {
        this.game = game;
    }

    /** One logic step of the scheduler. */
    void randomSleigh() {
        if (delay < 1) {
            int layer = firstFreeLayer();
            if (layer >= 0) {
                launch(layer);
                delay = Math.min((HollyBlitz.SLEIGHDELAY + game.randomBelow(25000)) / (game.score + 150), 250);
            }
        }
        delay -= 1;
    }

    /** Santa only when the highest layer is the free one, by a chance that grows with the score. */
    private void launch(int layer) {
        if (layer == 0) {
            int chance = Math.min(game.score / 20, 30);
            // The draw is taken even when there is no chance at all.
            if (chance > game.randomBelow(100)) {
                new Santa(game, 8, 0, 3.5, sleighFacing());
                skyLayer[0] = true;
                return;
            }
        }
        int size = sleighSize();
        double speed = sleighSpeed();
        int facing = sleighFacing();
        new Sleigh(game, size, layer, speed, facing);
        skyLayer[layer] = true;
    }

    private int firstFreeLayer() {
        for (int k = 0; k < skyLayer.length; k++) {
            if (!skyLayer[k]) {
                return k;
            }
        }
        return -1;
    }

    /** Two to four reindeer. */
    int sleighSize() {
        return 2 + game.randomBelow(3);
    }

    /** From 3.0 up, with a range that widens with the score; never above 6.0. */
    double sleighSpeed() {
        double speedmod = 0.7 * ((game.score + 300.0) / 300.0);
        double speed = HollyBlitz.SLEIGHSPEED + game.r.nextDouble() * (speedmod * 3.0);
        return Math.min(speed, 6.0);
    }

    /** 0 enters from the left, 1 from the right. */
    int sleighFacing() {
        return game.randomBelow(2);
    }

    /** A sleigh has left its layer; another may enter it. */
    void freeLayer(int layer) {
        skyLayer[layer] = false;
    }

}
