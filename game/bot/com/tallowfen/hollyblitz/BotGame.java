package com.tallowfen.hollyblitz;

import java.util.ArrayList;
import java.util.List;

/**
 * The game played by a Bot: before each logic step the bot sets the keys,
 * a game is started with the front screen's play button, and a lost game is
 * played again with the end-game panel's button after a short look at it. Keeps a record of what
 * happened: games and how they ended, scores, the largest size of each world
 * list, and every fault the game reported.
 */
class BotGame extends HollyBlitz {

    private static final long serialVersionUID = 1L;

    /** Steps the end-game panel is shown before the bot plays again. */
    static final int LOOKATEND = 60;

    final Bot bot;
    final List<RuntimeException> faults = new ArrayList<RuntimeException>();
    long steps;
    int games;
    int lostToElves;
    int lostToPresents;
    int bestScore;
    /** Times the score went down within one game. */
    int scoreDrops;
    /** Largest size seen of each world list, in the order of worldLists(). */
    final int[] largest = new int[10];
    /** When set, every sound the game starts: wall-clock milliseconds and sound id. */
    List<long[]> soundEvents;
    private int endSteps;
    private int pausedSteps;
    private int lastScore;

    BotGame(long seed) {
        bot = new Bot(this, seed);
    }

    @Override
    void doMain() {
        if (gameState == FRONTSCREEN) {
            // The play button, pressed in its middle.
            buttonPlay(515, 78);
            lastScore = score;
        }
        if (gameState == PAUSED && ++pausedSteps > LOOKATEND) {
            // Someone else paused the game; the bot plays on.
            togglePause();
        }
        if (gameState != PAUSED) {
            pausedSteps = 0;
        }
        bot.decide();
        int before = gameState;
        super.doMain();
        steps++;
        if (score < lastScore) {
            scoreDrops++;
        }
        lastScore = score;
        bestScore = Math.max(bestScore, score);
        java.util.List<java.util.Vector<GameObject>> lists = worldLists();
        for (int i = 0; i < lists.size(); i++) {
            largest[i] = Math.max(largest[i], lists.get(i).size());
        }
        if (before == PLAYING && gameState == POSTGAME) {
            games++;
            if (gun != null && gun.elvesOnLadder() > 3) {
                lostToElves++;
            } else {
                lostToPresents++;
            }
            endSteps = 0;
        }
        if (gameState == POSTGAME && ++endSteps > LOOKATEND) {
            // The end-game panel's play-again button, pressed in its middle.
            buttonReplay(152, 93);
            bot.newGame();
            lastScore = score;
        }
    }

    /** The ten world lists, in a fixed order. */
    java.util.List<java.util.Vector<GameObject>> worldLists() {
        return java.util.Arrays.asList(banners, barracks, elves, parachutes, presents, reins, reindeers,
            shells, sleighs, smokeTrails);
    }

    static final String[] LISTNAMES = {"banners", "barracks", "elves", "parachutes", "presents", "reins",
        "reindeers", "shells", "sleighs", "smokeTrails"};

    @Override
    void playSound(int soundRef) {
        if (soundEvents != null) {
            synchronized (soundEvents) {
                soundEvents.add(new long[] {System.currentTimeMillis(), soundRef});
            }
        }
        super.playSound(soundRef);
    }

    /** Starts the card again: an empty world and a zero score on the front screen, as at start-up. */
    void backToFrontScreen() {
        synchronized (worldLock) {
            restartGame();
            barracks.clear();
            banners.clear();
            gun = null;
            base = null;
            sleighManager = null;
            setGameState(FRONTSCREEN);
        }
    }

    /** What leaving the program does; the soak starts the card again instead of ending the VM. */
    Runnable programEnd;

    @Override
    void endProgram() {
        if (programEnd != null) {
            programEnd.run();
        } else {
            super.endProgram();
        }
    }

    @Override
    void reportFault(RuntimeException e) {
        synchronized (faults) {
            faults.add(e);
        }
        super.reportFault(e);
    }

    /** One line on how the games went. */
    String summary() {
        StringBuilder s = new StringBuilder();
        s.append(String.format("%d steps, %d games (%d lost to elves, %d to presents), best score %d, faults %d",
            steps, games, lostToElves, lostToPresents, bestScore, faults.size()));
        s.append("; largest lists:");
        for (int i = 0; i < LISTNAMES.length; i++) {
            s.append(' ').append(LISTNAMES[i]).append('=').append(largest[i]);
        }
        return s.toString();
    }
}
