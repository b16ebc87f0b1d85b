package com.tallowfen.hollyblitz;

/**
 * Lets the bot play headlessly for a number of logic steps, with a paint pass
 * into the back buffer after every second step, as the real loop would ask
 * for one. Prints how it went; exits with 1 if a fault was reported, a list
 * grew past its bound or the score fell within a game.
 *
 * usage: BotRun <workspace holding XmasGifs> <steps> [seed]
 */
public final class BotRun {

    /** No list of a game may ever hold more than this; finished objects leave their lists. */
    static final int[] BOUNDS = {16, 6, 80, 80, 40, 40, 40, 10, 8, 200};

    private BotRun() {
    }

    public static void main(String[] args) {
        String workspace = args[0];
        long steps = Long.parseLong(args[1]);
        long seed = args.length > 2 ? Long.parseLong(args[2]) : 1;
        BotGame game = new BotGame(seed);
        game.startHeadless(workspace, seed);
        long start = System.nanoTime();
        play(game, steps);
        double seconds = (System.nanoTime() - start) / 1e9;
        System.out.println(game.summary());
        System.out.printf("%.1f s, %.1f us per step with its share of paint passes%n", seconds, seconds * 1e6 / steps);
        String problem = problem(game);
        if (problem != null) {
            System.out.println("FAIL: " + problem);
            System.exit(1);
        }
        System.exit(0);
    }

    /** Plays `steps` logic steps, painting after every second one. */
    static void play(BotGame game, long steps) {
        for (long i = 0; i < steps; i++) {
            game.logicStep();
            if (i % 2 == 1) {
                game.paintBackBuffer();
            }
        }
    }

    /** What went wrong in the run, or null. */
    static String problem(BotGame game) {
        if (!game.faults.isEmpty()) {
            return "fault: " + game.faults.get(0);
        }
        for (int i = 0; i < BOUNDS.length; i++) {
            if (game.largest[i] > BOUNDS[i]) {
                return BotGame.LISTNAMES[i] + " grew to " + game.largest[i];
            }
        }
        if (game.scoreDrops > 0) {
            return "the score fell within a game";
        }
        return null;
    }
}
