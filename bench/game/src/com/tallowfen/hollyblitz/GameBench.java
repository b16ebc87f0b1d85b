package com.tallowfen.hollyblitz;

import java.util.Vector;

/**
 * Measures one logic step and one paint pass into the back buffer, in a busy
 * world and in an empty one, and prints both with their ratio. The busy world
 * is a hard moment of a game: four full convoys, a sky full of elves and
 * parachutes, shells in flight and smoke everywhere.
 */
public final class GameBench {

    private static final int STEPS = 20000;
    private static final int PAINTS = 600;

    private GameBench() {
    }

    public static void main(String[] args) {
        String workspace = args.length > 0 ? args[0] : ".";
        HollyBlitz game = new HollyBlitz();
        game.workspace = workspace;
        game.loadObjectImages();
        game.createBackBuffer();
        game.createPanels();
        game.r.setSeed(1);
        game.startGame();

        double emptyStep = stepMicros(game);
        double emptyPaint = paintMillis(game);
        int objects = populate(game);
        // Paint first: the steps carry the convoys far off the screen, where drawing costs little.
        double busyPaint = paintMillis(game);
        double busyStep = stepMicros(game);

        System.out.printf("world: %d objects (empty world: background and landscape only)%n", objects);
        System.out.printf("logic step:  busy %8.2f us, empty %8.2f us, busy/empty %6.1f  (goal: busy < 200 us)%n",
            busyStep, emptyStep, busyStep / emptyStep);
        System.out.printf("paint pass:  busy %8.3f ms, empty %8.3f ms, busy/empty %6.2f  (goal: busy < 4 ms)%n",
            busyPaint, emptyPaint, busyPaint / emptyPaint);
    }

    /** Mean time of a logic step after a warm-up, in microseconds. */
    private static double stepMicros(HollyBlitz game) {
        for (int i = 0; i < STEPS / 4; i++) {
            game.logicStep();
        }
        long start = System.nanoTime();
        for (int i = 0; i < STEPS; i++) {
            game.logicStep();
        }
        return (System.nanoTime() - start) / 1000.0 / STEPS;
    }

    /** Mean time of a paint pass into the back buffer after a warm-up, in milliseconds. */
    private static double paintMillis(HollyBlitz game) {
        for (int i = 0; i < PAINTS / 4; i++) {
            game.paintBackBuffer();
        }
        long start = System.nanoTime();
        for (int i = 0; i < PAINTS; i++) {
            game.paintBackBuffer();
        }
        return (System.nanoTime() - start) / 1e6 / PAINTS;
    }

    private static GameObject add(HollyBlitz game, Vector<GameObject> list, int picture,
                                  double x, double y, double dx, double dy) {
        GameObject o = new GameObject(game);
        o.gameType = picture;
        o.imageRef = picture;
        o.setCollisionRect();
        o.xPos = x;
        o.yPos = y;
        o.xVel = dx;
        o.yVel = dy;
        o.anim = (int) (game.r.nextDouble() * 4);
        list.add(o);
        return o;
    }

    /** Fills the world; returns how many objects it holds. Plain objects never leave their lists. */
    private static int populate(HollyBlitz game) {
        for (int c = 0; c < 4; c++) {
            double y = 60 + 54 * c;
            double dir = c % 2 == 0 ? 1 : -1;
            double sleighX = 300 - dir * 200;
            add(game, game.sleighs, dir > 0 ? HollyBlitz.SLEIGHELFLR : HollyBlitz.SLEIGHELFRL,
                sleighX, y, 3 * dir, 0);
            add(game, game.banners, HollyBlitz.BANNER, sleighX - dir * 60, y, 3 * dir, 0);
            for (int n = 0; n < 8; n++) {
                double x = sleighX + dir * (32 + 58 * n);
                add(game, game.reins, HollyBlitz.REIN, x, y, 3 * dir, 0);
                add(game, game.reindeers, dir > 0 ? HollyBlitz.REINDEERLR : HollyBlitz.REINDEERRL,
                    x + dir * 29, y, 3 * dir, 0);
            }
        }
        int[] elfPictures = {HollyBlitz.ELFRUNNINGLR, HollyBlitz.ELFRUNNINGRL, HollyBlitz.ELFFALLING,
            HollyBlitz.ELFPARACHUTING, HollyBlitz.ELFCELEBRATE, HollyBlitz.ELFCLIMBING};
        for (int i = 0; i < 60; i++) {
            int picture = elfPictures[i % elfPictures.length];
            boolean inAir = picture == HollyBlitz.ELFFALLING || picture == HollyBlitz.ELFPARACHUTING;
            add(game, game.elves, picture, 20 + 9.5 * i, inAir ? 100 + 4 * i : 405,
                inAir ? 0 : (i % 2 == 0 ? 2 : -2), inAir ? HollyBlitz.CHUTESPEED : 0);
        }
        for (int i = 0; i < 20; i++) {
            add(game, game.parachutes, HollyBlitz.PARACHUTE, 30 + 28 * i, 80 + 9 * i, 0, HollyBlitz.CHUTESPEED);
        }
        for (int i = 0; i < 10; i++) {
            double heading = game.toRadians(-60 + 12 * i);
            add(game, game.shells, HollyBlitz.SHELL, 300 + 40 * Math.sin(heading), 280 - 40 * Math.cos(heading),
                6 * Math.sin(heading), -6 * Math.cos(heading));
        }
        for (int i = 0; i < 40; i++) {
            add(game, game.smokeTrails, HollyBlitz.SMOKE, 15 * i, 120 + 3 * i, 0, -0.5);
        }
        for (int i = 0; i < 6; i++) {
            add(game, game.barracks, i < 3 ? HollyBlitz.BARRACKL : HollyBlitz.BARRACKR,
                60 + 90 * i + (i < 3 ? 0 : 30), 391, 0, 0);
        }
        int total = 0;
        for (Vector<GameObject> list : java.util.Arrays.asList(game.banners, game.barracks, game.elves,
                game.parachutes, game.presents, game.reins, game.reindeers, game.shells, game.sleighs,
                game.smokeTrails)) {
            total += list.size();
        }
        return total;
    }
}
