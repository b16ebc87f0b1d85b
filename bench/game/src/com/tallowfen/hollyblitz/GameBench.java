package com.tallowfen.hollyblitz;

import java.awt.event.KeyEvent;
import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;
import java.util.Vector;

/**
 * Measures one logic step and one paint pass into the back buffer, in a busy
 * world and in an empty one, and prints both with their ratio. The busy world
 * is a hard moment of a game: four full convoys, a sky full of elves and
 * parachutes and smoke everywhere, while the player holds the fire key and
 * sweeps the turret, so the gun keeps its ten shells in the air and every
 * shell searches every target list each step.
 */
public final class GameBench {

    private static final int STEPS = 20000;
    private static final int PAINTS = 600;

    private GameBench() {
    }

    public static void main(String[] args) {
        String workspace = args.length > 0 ? args[0] : ".";
        HollyBlitz game = new HollyBlitz();
        game.startHeadless(workspace, 1);
        game.startGame();
        // No convoys of the game's own: the world is the one built below, and no elf climbs the gun.
        game.sleighManager.delay = Integer.MAX_VALUE;

        double[] emptyStep = stepMicros(game);
        double[] emptyPaint = paintMillis(game);
        int objects = populate(game);
        // The gun fills the sky with its ten shells before anything is measured.
        game.holdKey(KeyEvent.VK_SPACE, true);
        while (game.shells.size() < HollyBlitz.MAXSHELLS) {
            game.logicStep();
        }
        objects += game.shells.size();
        // Paint first: the steps carry the convoys far off the screen, where drawing costs little.
        double[] busyPaint = paintMillis(game);
        double[] busyStep = stepMicros(game);
        int fired = shotsIn(game, 3000);

        System.out.printf("world: %d objects with the gun's shells (empty world: background, landscape and gun)%n",
            objects);
        System.out.printf("gun: %d shots in 3000 steps with fire held (at most one per %d steps)%n",
            fired, HollyBlitz.SHELLDELAY);
        // On a shared machine the wall clock also counts the time other programs had the processor;
        // the thread's own processor time does not.
        System.out.printf("logic step:  busy %8.2f us (CPU %8.2f), empty %8.2f us (CPU %8.2f)  (goal: busy < 200 us)%n",
            busyStep[0], busyStep[1], emptyStep[0], emptyStep[1]);
        System.out.printf("paint pass:  busy %8.3f ms (CPU %8.3f), empty %8.3f ms (CPU %8.3f), busy/empty %5.2f"
            + "  (goal: busy < 4 ms)%n", busyPaint[0], busyPaint[1], emptyPaint[0], emptyPaint[1],
            busyPaint[1] / emptyPaint[1]);
    }

    private static final ThreadMXBean THREADS = ManagementFactory.getThreadMXBean();

    /** Mean wall-clock and processor time of a logic step after a warm-up, in microseconds. */
    private static double[] stepMicros(HollyBlitz game) {
        for (int i = 0; i < STEPS / 4; i++) {
            step(game, i);
        }
        long start = System.nanoTime();
        long cpu = THREADS.getCurrentThreadCpuTime();
        for (int i = 0; i < STEPS; i++) {
            step(game, i);
        }
        return new double[] {(System.nanoTime() - start) / 1000.0 / STEPS,
            (THREADS.getCurrentThreadCpuTime() - cpu) / 1000.0 / STEPS};
    }

    /** One logic step with the turret sweeping from side to side, as a player aiming would. */
    private static void step(HollyBlitz game, int i) {
        boolean right = (i / 45) % 2 == 0;
        game.holdKey(KeyEvent.VK_RIGHT, right);
        game.holdKey(KeyEvent.VK_LEFT, !right);
        game.logicStep();
    }

    /** How many shells the gun fires in a number of steps. */
    private static int shotsIn(HollyBlitz game, int steps) {
        int fired = 0;
        for (int i = 0; i < steps; i++) {
            step(game, i);
            // A shot sets the timer, and the step's end counts it down once.
            if (game.gun.fireTimer == HollyBlitz.SHELLDELAY - 1) {
                fired++;
            }
        }
        return fired;
    }

    /** Mean wall-clock and processor time of a paint pass into the back buffer after a warm-up, in milliseconds. */
    private static double[] paintMillis(HollyBlitz game) {
        for (int i = 0; i < PAINTS / 4; i++) {
            game.paintBackBuffer();
        }
        long start = System.nanoTime();
        long cpu = THREADS.getCurrentThreadCpuTime();
        for (int i = 0; i < PAINTS; i++) {
            game.paintBackBuffer();
        }
        return new double[] {(System.nanoTime() - start) / 1e6 / PAINTS,
            (THREADS.getCurrentThreadCpuTime() - cpu) / 1e6 / PAINTS};
    }

    private static GameObject add(HollyBlitz game, Vector<GameObject> list, int picture,
                                  double x, double y, double dx, double dy) {
        GameObject o = new GameObject(game, picture, picture);
        o.setCollisionRect();
        o.xPos = x;
        o.yPos = y;
        o.xVel = dx;
        o.yVel = dy;
        o.anim = game.randomBelow(4);
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
