package com.tallowfen.hollyblitz;

import java.awt.event.KeyEvent;
import java.awt.event.MouseEvent;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import java.util.Random;

/**
 * A long game under every kind of traffic at once: the bot plays on this
 * thread, a second thread runs a paint pass after every second logic step,
 * and a third sends random key presses and mouse presses through the game's
 * own listeners: pausing, quitting, leaving through the back screens (after
 * which the card starts again from its front screen), pressing buttons
 * anywhere. Nothing may fail, and the heap after a full collection must stay
 * flat from the first tenth of the run to its end.
 *
 * usage: GameSoak <workspace holding XmasGifs> <steps> [seed]
 */
public final class GameSoak {

    /** Heap samples taken over a run. */
    static final int SAMPLES = 20;

    final BotGame game;
    final long steps;
    private final Random own;
    /** Logic steps done so far; the other threads pace themselves by it. */
    private volatile long done;
    /** The logic step the latest paint pass followed. */
    private volatile long painted;
    private volatile boolean finished;
    private volatile boolean painterAlive = true;
    final List<Throwable> faults = new ArrayList<Throwable>();
    final long[] heap = new long[SAMPLES];
    int paints;
    int events;
    int exits;
    int pagesOpened;

    GameSoak(BotGame game, long steps, long seed) {
        this.game = game;
        this.steps = steps;
        this.own = new Random(seed);
        game.pageOpener = new PageOpener() {
            @Override
            void open(String address) throws IOException {
                pagesOpened++;
            }
        };
        game.programEnd = () -> {
            // A player who left starts the card again: an empty world on the front screen, as at start-up.
            exits++;
            game.backToFrontScreen();
        };
    }

    /** Runs the soak; returns what went wrong, or null. */
    String run() throws InterruptedException {
        Thread painter = new Thread(this::paintLoop, "Soak painter");
        Thread input = new Thread(this::inputLoop, "Soak input");
        painter.start();
        input.start();
        try {
            for (long i = 0; i < steps; i++) {
                game.logicStep();
                done = i + 1;
                // As in the real loop, a paint pass comes after every second step: wait for the painter.
                while (done - painted > 2 && painterAlive) {
                    Thread.yield();
                }
                if ((i + 1) % (steps / SAMPLES) == 0) {
                    heap[(int) ((i + 1) / (steps / SAMPLES)) - 1] = heapAfterCollection();
                }
            }
        } finally {
            finished = true;
            painter.join();
            input.join();
        }
        return problem();
    }

    private void paintLoop() {
        try {
            while (!finished) {
                long now = done;
                if (now - painted >= 2) {
                    game.paintBackBuffer();
                    paints++;
                    painted = now;
                } else {
                    Thread.yield();
                }
            }
        } catch (Throwable e) {
            fault(e);
        } finally {
            painterAlive = false;
        }
    }

    private static final int[] KEYS = {KeyEvent.VK_LEFT, KeyEvent.VK_RIGHT, KeyEvent.VK_SPACE, KeyEvent.VK_ESCAPE,
        KeyEvent.VK_Q, KeyEvent.VK_S, KeyEvent.VK_A};

    private void inputLoop() {
        HollyBlitzKeyListener keys = new HollyBlitzKeyListener(game);
        HollyBlitzMouseListener mouse = new HollyBlitzMouseListener(game);
        try {
            long next = 1;
            while (!finished) {
                if (done < next) {
                    Thread.yield();
                    continue;
                }
                // Now and then: on average one event every 20 logic steps.
                next = done + 1 + own.nextInt(40);
                events++;
                if (own.nextInt(4) == 0) {
                    // The score form would wait for a person (and the network); leave it to its own buttons.
                    if (game.gameState == HollyBlitz.SUBMITSCORE) {
                        game.buttonCancel(200, 240);
                        continue;
                    }
                    int x = own.nextInt(game.xScreenSize);
                    int y = own.nextInt(450) + HollyBlitz.INSET;
                    mouse.mousePressed(new MouseEvent(game, MouseEvent.MOUSE_PRESSED, System.currentTimeMillis(),
                        0, x, y, 1, false, MouseEvent.BUTTON1));
                } else {
                    int code = KEYS[own.nextInt(KEYS.length)];
                    long when = System.currentTimeMillis();
                    keys.keyPressed(new KeyEvent(game, KeyEvent.KEY_PRESSED, when, 0, code, KeyEvent.CHAR_UNDEFINED));
                    keys.keyReleased(new KeyEvent(game, KeyEvent.KEY_RELEASED, when, 0, code,
                        KeyEvent.CHAR_UNDEFINED));
                }
            }
        } catch (Throwable e) {
            fault(e);
        }
    }

    private void fault(Throwable e) {
        synchronized (faults) {
            faults.add(e);
        }
        e.printStackTrace();
    }

    /** Bytes of heap in use once everything unreachable is gone. */
    static long heapAfterCollection() {
        Runtime rt = Runtime.getRuntime();
        long used = Long.MAX_VALUE;
        // Several rounds: a collection may leave garbage that a finaliser or a reference queue frees.
        for (int i = 0; i < 3; i++) {
            System.gc();
            used = Math.min(used, rt.totalMemory() - rt.freeMemory());
        }
        return used;
    }

    /** Whether the heap grew: the last quarter of the samples against the first ones after a warm-up tenth. */
    String heapGrowth() {
        long early = Long.MAX_VALUE;
        for (int i = 1; i < 4; i++) {
            early = Math.min(early, heap[i]);
        }
        long late = Long.MAX_VALUE;
        for (int i = SAMPLES - 5; i < SAMPLES; i++) {
            late = Math.min(late, heap[i]);
        }
        // The world itself varies with the moment of the game; a leak keeps climbing past that.
        if (late > early * 1.2 + 2 * 1024 * 1024) {
            return String.format("the heap grew from %d kB to %d kB", early / 1024, late / 1024);
        }
        return null;
    }

    String problem() {
        List<Throwable> all = new ArrayList<Throwable>(faults);
        synchronized (game.faults) {
            all.addAll(game.faults);
        }
        if (!all.isEmpty()) {
            return "fault: " + all.get(0);
        }
        String growth = heapGrowth();
        if (growth != null) {
            return growth;
        }
        return BotRun.problem(game);
    }

    String summary() {
        StringBuilder s = new StringBuilder(game.summary());
        s.append(String.format("%n%d paint passes, %d input events, %d exits through the back screens, %d pages opened",
            paints, events, exits, pagesOpened));
        s.append(String.format("%nheap after full collections (kB):"));
        for (long h : heap) {
            s.append(' ').append(h / 1024);
        }
        return s.toString();
    }

    public static void main(String[] args) throws InterruptedException {
        String workspace = args[0];
        long steps = Long.parseLong(args[1]);
        long seed = args.length > 2 ? Long.parseLong(args[2]) : 1;
        BotGame game = new BotGame(seed);
        game.startHeadless(workspace, seed);
        GameSoak soak = new GameSoak(game, steps, seed);
        long start = System.nanoTime();
        String problem = soak.run();
        System.out.println(soak.summary());
        System.out.printf("%.1f s%n", (System.nanoTime() - start) / 1e9);
        if (problem != null) {
            System.out.println("FAIL: " + problem);
            System.exit(1);
        }
        System.exit(0);
    }
}
