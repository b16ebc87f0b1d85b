package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.hollyblitz.TestWorld.Listed;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Vector;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class WorldStepTest {

    private final HollyBlitz game = TestWorld.create();

    @Test
    void everyListMovesOnceInItsFixedOrder() {
        List<String> names = Arrays.asList("shells", "sleighs", "reindeers", "reins", "elves", "parachutes",
            "presents", "smokeTrails", "banners");
        List<Vector<GameObject>> lists = Arrays.asList(game.shells, game.sleighs, game.reindeers, game.reins,
            game.elves, game.parachutes, game.presents, game.smokeTrails, game.banners);
        List<String> order = new ArrayList<String>();
        // Filled back to front, so the order moved cannot be the order filled.
        for (int i = lists.size() - 1; i >= 0; i--) {
            String name = names.get(i);
            Listed o = new Listed(game, lists.get(i), HollyBlitz.SMOKE).at(300, 200);
            o.onMove = () -> order.add(name);
        }
        game.startGame();
        game.doMain();
        assertEquals(names, order);
    }

    @Test
    void anObjectThatLeavesDuringAWalkLetsItsSuccessorWaitOneStep() {
        Listed first = new Listed(game, game.elves, HollyBlitz.ELFFALLING).at(300, 200);
        Listed second = new Listed(game, game.elves, HollyBlitz.ELFFALLING).at(300, 200);
        Listed third = new Listed(game, game.elves, HollyBlitz.ELFFALLING).at(300, 200);
        first.onMove = first::discard;
        game.doAllMovement();
        assertEquals(1, first.moves);
        assertEquals(0, second.moves);
        assertEquals(1, third.moves);
        game.doAllMovement();
        assertEquals(1, second.moves);
        assertEquals(Arrays.asList(second, third), new ArrayList<GameObject>(game.elves));
    }

    @Test
    void anObjectAddedDuringAWalkMovesInTheSameWalk() {
        Listed parent = new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(300, 200);
        List<Listed> born = new ArrayList<Listed>();
        parent.onMove = () -> {
            if (born.isEmpty()) {
                born.add(new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(300, 200));
            }
        };
        game.doAllMovement();
        assertEquals(1, born.get(0).moves);
    }

    @ParameterizedTest(name = "state {0}: {1} moves per step")
    @CsvSource({
        "0, 1",
        "1, 0",
        "2, 0",
        "3, 1",
        "4, 0",
        "5, 0",
        "6, 0",
        "7, 1",
        "8, 0",
    })
    void theWorldMovesOnlyWhileAGameOrItsEndIsShown(int state, int moves) {
        Listed banner = new Listed(game, game.banners, HollyBlitz.BANNER).at(300, 100).moving(3, 0);
        game.gameState = state;
        game.doMain();
        assertEquals(moves, banner.moves);
        assertEquals(300 + 3 * moves, banner.xPos);
    }

    @Test
    void theStepInWhichTheGameEndsMovesTheWorldTwice() {
        game.startGame();
        Listed deer = new Listed(game, game.reindeers, HollyBlitz.REINDEERLR).at(0, 100).moving(3, 0);
        Listed smoke = new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(0, 100).moving(1, 0);
        deer.onMove = game::gameEnd;
        game.doMain();
        assertEquals(HollyBlitz.POSTGAME, game.gameState);
        assertEquals(2, deer.moves);
        assertEquals(2, smoke.moves);
        game.doMain();
        assertEquals(3, smoke.moves);
    }

    /** A clip that counts its playbacks instead of making a sound. */
    private static final class CountingClip extends com.tallowfen.util.ApplicationAudioClip {
        private final List<Integer> log;
        private final int id;

        CountingClip(List<Integer> log, int id) {
            super((String) null);
            this.log = log;
            this.id = id;
        }

        @Override
        public void play() {
            log.add(id);
        }
    }

    @ParameterizedTest(name = "from state {0}")
    @CsvSource({
        "0, 3, true",
        "1, 3, true",
        "2, 2, false",
        "3, 3, false",
        "4, 4, false",
        "5, 5, false",
        "6, 6, false",
        "7, 7, false",
        "8, 8, false",
    })
    void gameEndActsOnlyOnARunningOrPausedGameAndOnlyOnce(int from, int to, boolean ends) {
        List<Integer> played = new ArrayList<Integer>();
        game.gameSounds[HollyBlitz.MERRYXMAS] = new CountingClip(played, HollyBlitz.MERRYXMAS);
        game.gameSounds[HollyBlitz.ELFCHEER2] = new CountingClip(played, HollyBlitz.ELFCHEER2);
        Listed elf = new Listed(game, game.elves, HollyBlitz.ELFRUNNINGLR);
        elf.imageRef = HollyBlitz.ELFRUNNINGRL;
        game.gameState = from;

        game.gameEnd();
        assertEquals(to, game.gameState);
        assertEquals(ends ? HollyBlitz.ELFCELEBRATE : HollyBlitz.ELFRUNNINGRL, elf.imageRef);
        List<Integer> endSounds = ends ? Arrays.asList(HollyBlitz.MERRYXMAS, HollyBlitz.ELFCHEER2)
            : new ArrayList<Integer>();
        assertEquals(endSounds, played);

        // A second end in the same game changes nothing.
        elf.imageRef = HollyBlitz.ELFCLIMBING;
        game.gameEnd();
        assertEquals(to, game.gameState);
        assertEquals(HollyBlitz.ELFCLIMBING, elf.imageRef);
        assertEquals(endSounds, played);
    }

    @Test
    void gameEndWithoutLoadedSoundsStillEndsTheGame() {
        game.startGame();
        game.gameEnd();
        assertEquals(HollyBlitz.POSTGAME, game.gameState);
    }

    @ParameterizedTest(name = "elf showing {0} -> {1} / {2}")
    @CsvSource({
        "15, 15, 99",
        "17, 17, 99",
        "20, 20, 99",
        "21, 21, 99",
        "16, 15, 15",
        "18, 12, 12",
        "19, 12, 12",
        "13, 12, 12",
        "14, 12, 12",
        "12, 12, 12",
    })
    void victoryDanceDependsOnWhatEachElfShows(int showing, int imageRef, int gameType) {
        Listed elf = new Listed(game, game.elves, HollyBlitz.ELFRUNNINGLR);
        elf.imageRef = showing;
        elf.gameType = 99;
        game.elfVictoryDance();
        assertEquals(imageRef, elf.imageRef);
        assertEquals(gameType, elf.gameType);
    }

    @Test
    void restartEmptiesTheWorldButLetsBannersFlyOn() {
        game.startGame();
        List<Vector<GameObject>> cleared = Arrays.asList(game.barracks, game.elves, game.parachutes,
            game.presents, game.reins, game.reindeers, game.shells, game.sleighs, game.smokeTrails);
        for (Vector<GameObject> list : cleared) {
            new Listed(game, list, HollyBlitz.SMOKE);
        }
        Listed banner = new Listed(game, game.banners, HollyBlitz.BANNER);
        game.score = 17;
        game.gameState = HollyBlitz.POSTGAME;

        game.restartGame();

        for (Vector<GameObject> list : cleared) {
            if (list != game.barracks) {
                assertTrue(list.isEmpty());
            }
        }
        // The new game stands on six barracks of its own.
        assertEquals(6, game.barracks.size());
        for (GameObject b : game.barracks) {
            assertEquals(0, ((Barrack) b).decorated);
        }
        assertEquals(1, game.banners.size());
        assertSame(banner, game.banners.get(0));
        assertEquals(0, game.score);
        assertEquals(HollyBlitz.PLAYING, game.gameState);
    }

    @Test
    void aNewShellWaitsForItsFirstGame() {
        HollyBlitz fresh = new HollyBlitz();
        assertEquals(HollyBlitz.UNKNOWN, fresh.gameState);
        assertEquals(600, fresh.xScreenSize);
        assertEquals(472, fresh.yScreenSize);
        for (int i = 0; i < HollyBlitz.IMAGE_SLOTS; i++) {
            assertEquals(null, fresh.gameImages[i]);
        }
        fresh.gameState = HollyBlitz.FRONTSCREEN;
        fresh.startGame();
        assertEquals(HollyBlitz.PLAYING, fresh.gameState);
    }
}
