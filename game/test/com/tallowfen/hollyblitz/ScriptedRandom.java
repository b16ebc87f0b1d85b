package com.tallowfen.hollyblitz;

import java.util.ArrayDeque;
import java.util.Deque;
import java.util.Random;

/**
 * A random generator that gives the values a test lines up, in order, and
 * fails on a draw nobody expected, so a test sees both which draws are taken
 * and how many.
 */
final class ScriptedRandom extends Random {

    private static final long serialVersionUID = 1L;

    private final Deque<Double> values = new ArrayDeque<Double>();
    int draws;

    /** Lines up raw values of nextDouble(). */
    ScriptedRandom then(double... next) {
        for (double v : next) {
            values.add(v);
        }
        return this;
    }

    /** Lines up draws that give the random integer k below n. */
    ScriptedRandom below(int n, int... ks) {
        for (int k : ks) {
            values.add((k + 0.5) / n);
        }
        return this;
    }

    /** Lines up `count` draws of the same raw value. */
    ScriptedRandom repeat(int count, double value) {
        for (int i = 0; i < count; i++) {
            values.add(value);
        }
        return this;
    }

    int left() {
        return values.size();
    }

    @Override
    public double nextDouble() {
        draws++;
        Double v = values.poll();
        if (v == null) {
            throw new AssertionError("unexpected random draw number " + draws);
        }
        return v;
    }
}
