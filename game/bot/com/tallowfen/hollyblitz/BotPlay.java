package com.tallowfen.hollyblitz;

import java.io.FileWriter;
import java.io.IOException;
import java.io.PrintWriter;
import java.util.ArrayList;
import java.util.List;

/**
 * The real game in its window, with its own loop, sound and paint passes,
 * played by the bot: for the end-to-end tests and the measurements of the
 * whole game. It starts a game from the front screen at once and plays
 * again after each lost game.
 *
 * usage: BotPlay <seconds, 0 for ever> [seed] [starting score]
 * With -Dbot.soundlog=FILE it writes every sound it started to FILE at the
 * end, one "milliseconds id" line each; with -Dbot.bells=true it also loops
 * the background bells from the start, as a steady signal for listening.
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
        String soundLog = System.getProperty("bot.soundlog");
        if (soundLog != null) {
            game.soundEvents = new ArrayList<long[]>();
        }
        HollyBlitz.mainObj = game;
        game.init();
        if (Boolean.getBoolean("bot.bells") && game.gameSounds[HollyBlitz.BGM] != null) {
            game.gameSounds[HollyBlitz.BGM].loop();
            if (game.soundEvents != null) {
                synchronized (game.soundEvents) {
                    game.soundEvents.add(new long[] {System.currentTimeMillis(), HollyBlitz.BGM});
                }
            }
        }
        game.setTitle(HollyBlitz.TITLE);
        game.setLocationRelativeTo(null);
        game.setVisible(true);
        if (seconds > 0) {
            Thread.sleep(seconds * 1000);
            synchronized (game.worldLock) {
                System.out.println(game.summary());
            }
            if (soundLog != null) {
                writeSounds(game.soundEvents, soundLog);
            }
            System.exit(game.faults.isEmpty() ? 0 : 1);
        }
    }

    private static void writeSounds(List<long[]> events, String file) {
        try (PrintWriter out = new PrintWriter(new FileWriter(file))) {
            synchronized (events) {
                for (long[] e : events) {
                    out.println(e[0] + " " + e[1]);
                }
            }
        } catch (IOException e) {
            System.err.println("Cannot write the sound log " + file + ": " + e.getMessage());
        }
    }
}
