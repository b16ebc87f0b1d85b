package com.tallowfen.hollyblitz;

/**
 * The real game in its window, with its own loop, sound and paint passes,
 * played by the bot: for the end-to-end tests and the measurements of the
 * whole game. It starts a game from the front screen at once and plays
 * again after each lost game.
 *
 * usage: BotPlay <seconds, 0 for ever> [seed] [starting score]
 */
public final class BotPlay {

    private BotPlay() {
    }

    public static void main(String[] args) throws InterruptedException {
        long seconds = Long.parseLong(args[0]);
        long seed = args.length > 1 ? Long.parseLong(args[1]) : 1;
        final int startScore = args.length > 2 ? Integer.parseInt(args[2]) : 0;
        BotGame game = new BotGame(seed) {
            private static final long serialVersionUID = 1L;

            @Override
            void startGame() {
                super.startGame();
                // A later stage of a game: convoys come sooner and fly faster.
                score = startScore;
            }
        };
        game.r.setSeed(seed);
        HollyBlitz.mainObj = game;
        game.init();
        game.setTitle(HollyBlitz.TITLE);
        game.setLocationRelativeTo(null);
        game.setVisible(true);
        if (seconds > 0) {
            Thread.sleep(seconds * 1000);
            synchronized (game.worldLock) {
                System.out.println(game.summary());
            }
            System.exit(game.faults.isEmpty() ? 0 : 1);
        }
    }
}
