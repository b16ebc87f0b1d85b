package com.tallowfen.hollyblitz;

import java.util.Random;

/**
 * A player for tests and measurements: before each logic step it turns the
 * gun toward the lowest target still in the air, leading it by its speed,
 * and holds fire once the barrel points close enough. Its own seeded
 * generator makes it look away now and then, more in some games than in
 * others, and leave presents alone in some games, so games end both ways.
 */
final class Bot {

    /** Where shells leave the gun, near enough for aiming. */
    private static final double MUZZLEX = 300.0;
    private static final double MUZZLEY = 325.0;
    /** Targets lower than this cannot be reached by a shell from the barrel. */
    private static final double LOWESTAIM = 300.0;

    private final HollyBlitz game;
    private final Random own;
    /** Chance per step of looking away in the current game. */
    private double distraction;
    private int distractedSteps;
    /** Some games the bot leaves presents alone and hunts only elves and reindeer. */
    private boolean ignorePresents;

    Bot(HollyBlitz game, long seed) {
        this.game = game;
        this.own = new Random(seed);
        newGame();
    }

    /** A fresh mood for the next game. */
    void newGame() {
        distraction = own.nextDouble() * 0.02;
        distractedSteps = 0;
        ignorePresents = own.nextDouble() < 0.3;
    }

    /** Sets the held keys for the coming logic step; touches nothing else of the game. */
    void decide() {
        AAAGun gun = game.gun;
        if (game.gameState != HollyBlitz.PLAYING || gun == null || gun.gameType != HollyBlitz.AAAGUN) {
            hold(false, false, false);
            return;
        }
        if (distractedSteps > 0 || own.nextDouble() < distraction) {
            if (distractedSteps == 0) {
                distractedSteps = 10 + own.nextInt(40);
            }
            distractedSteps--;
            hold(false, false, false);
            return;
        }
        double[] aim = lowestThreat();
        if (aim == null) {
            // Nothing to shoot: back to straight up, ready for either side.
            int diff = turn(0, gun.heading);
            hold(diff <= -AAAGun.TURNSTEP / 2, diff >= AAAGun.TURNSTEP / 2, false);
            return;
        }
        int want = heading(aim[0] - MUZZLEX, aim[1] - MUZZLEY);
        int diff = turn(want, gun.heading);
        hold(diff <= -AAAGun.TURNSTEP / 2, diff >= AAAGun.TURNSTEP / 2, Math.abs(diff) <= AAAGun.TURNSTEP);
    }

    private void hold(boolean left, boolean right, boolean fire) {
        game.arrowLeft = left;
        game.arrowRight = right;
        game.spaceBar = fire;
    }

    /** The aim point of the lowest shootable target the gun can reach, or null. */
    private double[] lowestThreat() {
        double[] best = null;
        HollyBlitz g = game;
        for (java.util.Vector<GameObject> list : java.util.Arrays.asList(g.elves, g.parachutes, g.presents, g.reindeers)) {
            for (int i = 0; i < list.size(); i++) {
                GameObject o = list.get(i);
                if (!o.collidesWithShell || (ignorePresents && list == g.presents)) {
                    continue;
                }
                double[] p = lead(o);
                if (p[1] > LOWESTAIM || p[0] < 0 || p[0] > g.xScreenSize || p[1] < 0) {
                    continue;
                }
                if (best == null || p[1] > best[1]) {
                    best = p;
                }
            }
        }
        return best;
    }

    /** Where a shell fired now would meet the target, found by a few rounds of refinement. */
    private static double[] lead(GameObject o) {
        double x = o.xPos;
        double y = o.yPos;
        for (int round = 0; round < 3; round++) {
            double steps = Math.hypot(x - MUZZLEX, y - MUZZLEY) / HollyBlitz.SHELLVELOCITY;
            x = o.xPos + o.xVel * steps;
            y = o.yPos + o.yVel * steps;
        }
        return new double[] {x, y};
    }

    /** The turret heading, in whole degrees within the upper half-circle, that points along (dx, dy). */
    static int heading(double dx, double dy) {
        double deg = Math.toDegrees(Math.atan2(dx, -dy));
        deg = Math.max(-90, Math.min(90, deg));
        int h = (int) Math.round(deg);
        return h < 0 ? h + 360 : h;
    }

    /** Signed degrees from `from` to `to`, both turret headings: positive turns right. */
    static int turn(int to, int from) {
        int a = to >= 270 ? to - 360 : to;
        int b = from >= 270 ? from - 360 : from;
        return a - b;
    }
}
