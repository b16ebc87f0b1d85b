package com.tallowfen.hollyblitz;

import java.util.Arrays;
import java.util.Vector;

/**
 * Measures a logic step and a paint pass of the real world at its busiest:
 * four convoys across the screen with Santa among them, a sky of elves, most
 * under parachutes, Santa's presents falling, ten shells in flight, smoke
 * trails and change puffs, half-decorated barracks. Each timed batch starts
 * from a freshly built world, so the world stays busy while it is measured.
 */
public final class WorldBench {

    private static final int BATCH = 20;
    private static final int BATCHES = 1500;

    private WorldBench() {
    }

    public static void main(String[] args) {
        String workspace = args.length > 0 ? args[0] : ".";
        HollyBlitz game = new HollyBlitz();
        // Seeded anew with every world it builds.
        game.startHeadless(workspace, 11);
        game.startGame();
        int objects = populate(game);
        String counts = counts(game);
        double step = 0;
        double paint = 0;
        // The first third warms the VM up and is not counted.
        for (int b = -BATCHES / 3; b < BATCHES; b++) {
            populate(game);
            long t0 = System.nanoTime();
            for (int i = 0; i < BATCH; i++) {
                game.logicStep();
            }
            long t1 = System.nanoTime();
            populate(game);
            long t2 = System.nanoTime();
            for (int i = 0; i < BATCH; i++) {
                game.paintBackBuffer();
            }
            long t3 = System.nanoTime();
            if (b >= 0) {
                step += t1 - t0;
                paint += t3 - t2;
            }
        }
        int n = BATCHES * BATCH;
        System.out.printf("busiest world: %d objects (%s)%n", objects, counts);
        System.out.printf("logic step: %8.2f us  (goal: < 200 us)%n", step / 1e3 / n);
        System.out.printf("paint pass: %8.3f ms  (goal: < 4 ms)%n", paint / 1e6 / n);
        System.out.printf("garbage per paint pass: %d bytes%n", garbagePerPaint(game));
    }

    /** Bytes this thread allocates in one paint pass of the busiest world, averaged over a batch. */
    private static long garbagePerPaint(HollyBlitz game) {
        java.lang.management.ThreadMXBean threads = java.lang.management.ManagementFactory.getThreadMXBean();
        if (!(threads instanceof com.sun.management.ThreadMXBean)) {
            return -1;
        }
        com.sun.management.ThreadMXBean counter = (com.sun.management.ThreadMXBean) threads;
        long id = Thread.currentThread().getId();
        populate(game);
        long before = counter.getThreadAllocatedBytes(id);
        for (int i = 0; i < BATCH; i++) {
            game.paintBackBuffer();
        }
        return (counter.getThreadAllocatedBytes(id) - before) / BATCH;
    }

    /** Builds the busiest world anew; returns how many objects it holds. */
    static int populate(HollyBlitz game) {
        game.restartGame();
        game.banners.clear();
        game.r.setSeed(11);
        SleighManager manager = game.sleighManager;
        Arrays.fill(manager.skyLayer, true);
        manager.delay = 1000000;
        Santa santa = new Santa(game, 8, 0, 3.5, 0);
        place(game, santa, 120);
        Sleigh[] convoys = {santa, null, null, null};
        for (int layer = 1; layer < 4; layer++) {
            Sleigh sleigh = new Sleigh(game, 4, layer, 4.5, layer % 2);
            place(game, sleigh, layer % 2 == 0 ? 80 + 60 * layer : 520 - 60 * layer);
            convoys[layer] = sleigh;
        }
        // Elves dropped along the way: most hang under their canopies, some still fall.
        for (int i = 0; i < 24; i++) {
            Sleigh from = convoys[1 + i % 3];
            Elf elf = new Elf(game, from);
            elf.xPos = 40 + 22 * i;
            elf.yPos = from.yPos + 10 + 7 * (i % 9);
            elf.chuteHeight = (int) elf.yPos + 40;
            if (i % 4 != 0) {
                for (int s = 0; s < 12; s++) {
                    elf.fallingMove();
                }
            }
        }
        for (int i = 0; i < 11; i++) {
            Present present = new Present(game, santa);
            present.xPos = 46 * (i + 1);
            present.yPos = 60 + 25 * i;
        }
        AAAGun gun = game.gun;
        for (int i = 0; i < HollyBlitz.MAXSHELLS; i++) {
            gun.heading = i < 5 ? 300 + 12 * i : 12 * (i - 4);
            gun.fireTimer = 0;
            gun.fireShell();
            Shell shell = (Shell) game.shells.get(i);
            shell.xPos += shell.xVel * (4 + 3 * i);
            shell.yPos += shell.yVel * (4 + 3 * i);
        }
        gun.heading = 0;
        // A banner left over from a convoy that has gone.
        new Banner(game, convoys[1]).xPos = 300;
        for (int i = 0; i < 16; i++) {
            Smoke puff = new Smoke(game, convoys[i % 4]);
            puff.xPos = 30 + 35 * i;
            puff.anim = i % 10;
            game.smokeTrails.add(puff);
        }
        for (int i = 0; i < game.barracks.size(); i++) {
            Barrack barrack = (Barrack) game.barracks.get(i);
            for (int d = 0; d < i % 4; d++) {
                barrack.addDecoration(barrack);
            }
        }
        int total = 0;
        for (Vector<GameObject> list : lists(game)) {
            total += list.size();
        }
        return total;
    }

    /** Moves a whole convoy so that its sleigh stands at x. */
    private static void place(HollyBlitz game, Sleigh sleigh, double x) {
        double dx = x - sleigh.xPos;
        sleigh.xPos += dx;
        for (int n = 0; n < sleigh.length; n++) {
            sleigh.team[n].xPos += dx;
            sleigh.tack[n].xPos += dx;
        }
        if (sleigh.banner != null) {
            sleigh.banner.xPos += dx;
        }
        sleigh.dropPoints.clear();
    }

    private static java.util.List<Vector<GameObject>> lists(HollyBlitz game) {
        return Arrays.asList(game.banners, game.barracks, game.elves, game.parachutes, game.presents, game.reins,
            game.reindeers, game.shells, game.sleighs, game.smokeTrails);
    }

    private static String counts(HollyBlitz game) {
        String[] names = {"banners", "barracks", "elves", "parachutes", "presents", "reins", "reindeers", "shells",
            "sleighs", "smoke"};
        StringBuilder s = new StringBuilder();
        java.util.List<Vector<GameObject>> lists = lists(game);
        for (int i = 0; i < names.length; i++) {
            s.append(i > 0 ? ", " : "").append(names[i]).append(' ').append(lists.get(i).size());
        }
        return s.toString();
    }
}
