package com.tallowfen.hollyblitz;

/**
 * One of the six barracks of the base, three on each side of the gun. Each
 * stops elves until it has taken three decorations, from elves or presents.
 */
class Barrack extends GameObject {

    /** Decorations a barrack takes before elves run past it. */
    static final int FULL = 3;

    /** Decoration stages reached, 0 to 3. */
    int decorated;

    /** The barrack at place 1 to 6, left to right; the gun must already stand. */
    Barrack(HollyBlitz game, int n) {
        super(game, HollyBlitz.BARRACKL, HollyBlitz.BARRACKL);
        if (n < 1 || n > 6) {
            throw new IllegalArgumentException("barrack place " + n + " is not 1 to 6");
        }
        decorated = 0;
        anim = 0;
        collidesWithShell = false;
        drawInBackground = false;
        setCollisionRect();
        // Standing on the ground line.
        yPos = HollyBlitz.GROUNDLEVEL - height;
        int u = game.xScreenSize / 25;
        xPos = n <= 3 ? u * (3 * n + 0.5) : u * (3 * n + 3.5);
        imageRef = xPos < game.gun.xPos ? HollyBlitz.BARRACKL : HollyBlitz.BARRACKR;
    }

    /** The next decoration stage and its picture, with a change puff made by `source`. */
    void addDecoration(GameObject source) {
        decorated += 1;
        imageRef += 1;
        game.smokeTrails.add(Smoke.changePuff(game, source, this));
    }

    /** Entry i of the barracks list if it is a barrack, else null. */
    static Barrack at(HollyBlitz game, int i) {
        GameObject o = game.barracks.get(i);
        return o instanceof Barrack ? (Barrack) o : null;
    }

    @Override
    void discard() {
        game.barracks.remove(this);
    }
}
