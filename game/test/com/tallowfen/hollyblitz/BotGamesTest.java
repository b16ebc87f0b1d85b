package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.ArrayList;
import java.util.List;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/**
 * Whole games played by the bot, step by step with paint passes in between:
 * nothing may fail, no list may keep growing, the score never falls within a
 * game, and lost games start again. The long version is a benchmark.
 */
class BotGamesTest {

    @Test
    void theBotPlaysSeveralWholeGamesWithoutAFault() {
        BotGame game = TestWorld.prepare(new BotGame(3));
        game.r.setSeed(3);
        game.gameState = HollyBlitz.FRONTSCREEN;
        BotRun.play(game, 24000);
        assertNull(BotRun.problem(game), game.summary());
        assertTrue(game.games >= 2, game.summary());
        assertTrue(game.bestScore > 20, game.summary());
    }

    @Test
    void aLostGameIsPlayedAgainFromTheEndPanel() {
        BotGame game = TestWorld.prepare(new BotGame(5));
        game.gameState = HollyBlitz.FRONTSCREEN;
        while (game.games == 0) {
            game.logicStep();
        }
        assertEquals(HollyBlitz.POSTGAME, game.gameState);
        assertEquals(HollyBlitz.XMASTREE, game.gun.gameType);
        for (int i = 0; i <= BotGame.LOOKATEND; i++) {
            game.logicStep();
        }
        assertEquals(HollyBlitz.PLAYING, game.gameState);
        assertEquals(0, game.score);
        assertEquals(HollyBlitz.AAAGUN, game.gun.gameType);
        assertEquals(6, game.barracks.size());
    }

    @Test
    void theGameStandsPaintPassesAndRandomInputFromOtherThreads() throws InterruptedException {
        BotGame game = TestWorld.prepare(new BotGame(9));
        game.r.setSeed(9);
        game.gameState = HollyBlitz.FRONTSCREEN;
        GameSoak soak = new GameSoak(game, 30000, 9);
        String problem = soak.run();
        assertNull(problem, soak.summary());
        assertTrue(soak.paints > 5000 && soak.events > 500, soak.summary());
    }

    @ParameterizedTest(name = "({0}, {1}) is heading {2}")
    @CsvSource({"0, -10, 0", "10, 0, 90", "-10, 0, 270", "10, -10, 45", "-10, -10, 315", "10, 10, 90", "-5, 5, 270"})
    void theBotAimsWithinTheUpperHalfCircle(double dx, double dy, int heading) {
        assertEquals(heading, Bot.heading(dx, dy));
    }

    @Test
    void theBotTurnsTheShortWayAcrossStraightUp() {
        List<Integer> turns = new ArrayList<Integer>();
        for (int[] c : new int[][] {{10, 350}, {350, 10}, {90, 270}, {0, 0}}) {
            turns.add(Bot.turn(c[0], c[1]));
        }
        assertEquals(List.of(20, -20, 180, 0), turns);
    }
}
