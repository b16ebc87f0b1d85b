package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tallowfen.hollyblitz.TestWorld.Listed;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Vector;
import java.util.concurrent.atomic.AtomicInteger;
import org.junit.jupiter.api.Test;

/**
 * The main loop, the paint passes and the input thread share one world: none
 * of them may see a list cleared or shortened under it.
 */
class ConcurrencyTest {

    private static final int STEPS = 4000;

    private final List<Throwable> faults = Collections.synchronizedList(new ArrayList<Throwable>());
    /** How many logic steps, paint passes and game starts are running right now; never more than one. */
    private final AtomicInteger inside = new AtomicInteger();
    private final HollyBlitz game = TestWorld.prepare(new HollyBlitz() {
        private static final long serialVersionUID = 1L;

        @Override
        void reportFault(RuntimeException e) {
            faults.add(e);
        }

        @Override
        void doMain() {
            enter("logic step");
            try {
                super.doMain();
            } finally {
                inside.decrementAndGet();
            }
        }

        @Override
        void drawState() {
            enter("paint pass");
            try {
                super.drawState();
            } finally {
                inside.decrementAndGet();
            }
        }

        @Override
        void startGame() {
            // Restarts come from the input thread; the world must be locked before it is emptied.
            if (!Thread.holdsLock(worldLock)) {
                faults.add(new AssertionError("a game started outside the world lock"));
            }
            enter("game start");
            try {
                super.startGame();
            } finally {
                inside.decrementAndGet();
            }
        }
    });

    private void enter(String what) {
        if (inside.incrementAndGet() != 1) {
            faults.add(new AssertionError(what + " overlapped another use of the world"));
        }
    }
    private volatile int stepsDone;
    private volatile boolean finished;

    /** A busy sky: objects that fly off, bursts that end on a draw, and puffs that leave puffs. */
    private void populate() {
        List<Vector<GameObject>> lists = new ArrayList<Vector<GameObject>>();
        Collections.addAll(lists, game.shells, game.sleighs, game.reindeers, game.reins, game.elves,
            game.parachutes, game.presents, game.smokeTrails, game.banners, game.barracks);
        for (int i = 0; i < 40; i++) {
            Vector<GameObject> list = lists.get(i % lists.size());
            Listed o = new Listed(game, list, i % 2 == 0 ? HollyBlitz.SHELLBLASTB : HollyBlitz.REINDEERLR)
                .at(game.r.nextDouble() * 600, game.r.nextDouble() * 450)
                .moving(game.r.nextDouble() * 40 - 20, game.r.nextDouble() * 40 - 20);
            o.cycleOnce = i % 3 == 0;
            if (i % 7 == 0) {
                o.onMove = () -> {
                    if (game.smokeTrails.size() < 80) {
                        new Listed(game, game.smokeTrails, HollyBlitz.SMOKE).at(o.xPos, o.yPos).moving(0, -30);
                    }
                };
            }
        }
    }

    private Thread worker(String name, Runnable body) {
        Thread t = new Thread(() -> {
            try {
                body.run();
            } catch (Throwable e) {
                faults.add(e);
            }
        }, name);
        t.start();
        return t;
    }

    @Test
    void paintPassesAndRestartsNeverDisturbTheLogicSteps() throws InterruptedException {
        synchronized (game.worldLock) {
            populate();
            game.startGame();
        }
        Thread painter = worker("painter", () -> {
            while (!finished) {
                game.paintBackBuffer();
                Thread.yield();
            }
        });
        Thread input = worker("input", () -> {
            int lastRestart = 0;
            while (!finished) {
                int now = stepsDone;
                if (now - lastRestart >= 25) {
                    lastRestart = now;
                    game.restartGame();
                    synchronized (game.worldLock) {
                        populate();
                    }
                } else {
                    Thread.yield();
                }
            }
        });
        try {
            for (int step = 0; step < STEPS; step++) {
                game.logicStep();
                if (step % 10 == 0) {
                    synchronized (game.worldLock) {
                        populate();
                    }
                }
                if (step % 500 == 499) {
                    game.gameEnd();
                }
                stepsDone = step + 1;
            }
        } finally {
            finished = true;
            painter.join();
            input.join();
        }
        assertTrue(faults.isEmpty(), () -> faults.size() + " faults, the first: " + faults.get(0));
        assertTrue(game.gameState == HollyBlitz.PLAYING || game.gameState == HollyBlitz.POSTGAME);
    }

    @Test
    void aFaultInOneStepIsReportedAndTheNextStepRuns() {
        game.gameState = HollyBlitz.PLAYING;
        Listed bad = new Listed(game, game.shells, HollyBlitz.SHELL).at(300, 200);
        bad.onMove = () -> {
            throw new IllegalStateException("broken shell");
        };
        Listed good = new Listed(game, game.elves, HollyBlitz.ELFFALLING).at(300, 200);
        game.logicStep();
        bad.onMove = null;
        game.logicStep();
        assertEquals(1, faults.size());
        assertEquals(1, good.moves);
        assertEquals(2, bad.moves);

        game.gameImages[HollyBlitz.BACKGROUND] = null;
        game.paintBackBuffer();
        assertEquals(1, faults.size(), "a picture that is missing altogether draws nothing");
    }
}
