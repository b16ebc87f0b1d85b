package com.tallowfen.standin.audio;

import java.io.IOException;
import java.io.InputStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The set of streams being played and their mix: every stream is read as
 * mu-law, decoded and summed into 16-bit samples. A stream leaves the set
 * when it ends or fails to read; the rest of the mix goes on.
 *
 * A busy moment sums to more than 16 bits can hold. Instead of cutting the
 * sum off, which crackles, the mix is limited: a gain that falls within a
 * block of 10 ms as soon as the block's loudest sample would pass the limit, and
 * comes back to 1 over a few tenths of a second, then a soft knee that
 * bends whatever still stands above it towards the limit without reaching
 * it. Below the knee, and while the gain is 1, samples pass unchanged.
 */
public class AudioMixer {

    private final List<InputStream> streams = new ArrayList<InputStream>();
    private byte[] scratch = new byte[0];
    private int[] sum = new int[0];

    /** No mixed sample goes beyond this; full scale is never reached. */
    static final int LIMIT = 32000;
    /** Samples up to this pass unchanged while the gain is 1. */
    static final int KNEE = 28000;
    /** Samples the gain is worked out for at a time: 10 ms. */
    static final int BLOCK = 80;
    /** Share of the way back to a gain of 1 made in each block: a time constant of about 0.16 s. */
    static final double RELEASE = 0.06;
    /** A gain this close to 1 is 1, so that the mix ends up unchanged again. */
    private static final double UNITY = 0.999;

    /** The gain at the end of the last chunk. */
    private double gain = 1.0;

    /** Adds a stream to the set; it is heard from the next rendered sample on. */
    public synchronized void add(InputStream stream) {
        streams.add(stream);
        notifyAll();
    }

    public synchronized int streamCount() {
        return streams.size();
    }

    /** Drops every stream, for a player that has no device to play them on. */
    public synchronized void clear() {
        streams.clear();
    }

    /** Blocks until there is a stream to play. */
    public synchronized void awaitStream() throws InterruptedException {
        while (streams.isEmpty()) {
            wait();
        }
    }

    /** Mixes the next count samples of every stream into out, from offset on. */
    public synchronized void render(short[] out, int offset, int count) {
        ensureCapacity(count);
        Arrays.fill(sum, 0, count, 0);
        for (int i = streams.size() - 1; i >= 0; i--) {
            if (!addStream(streams.get(i), count)) {
                streams.remove(i);
            }
        }
        limit(out, offset, count);
    }

    /** Writes the sum into out, limited, block by block; see the class comment. */
    private void limit(short[] out, int offset, int count) {
        for (int from = 0; from < count; from += BLOCK) {
            int to = Math.min(count, from + BLOCK);
            int peak = 0;
            for (int i = from; i < to; i++) {
                peak = Math.max(peak, Math.abs(sum[i]));
            }
            double needed = peak > LIMIT ? LIMIT / (double) peak : 1.0;
            double next = Math.min(needed, gain + (1.0 - gain) * RELEASE);
            if (next >= UNITY && needed == 1.0) {
                next = 1.0;
            }
            double step = (next - gain) / (to - from);
            for (int i = from; i < to; i++) {
                double g = gain + step * (i - from + 1);
                out[offset + i] = knee(g == 1.0 ? sum[i] : sum[i] * g);
            }
            gain = next;
        }
    }

    /** Identity up to the knee, then a curve that rises ever more slowly towards the limit. */
    static short knee(double value) {
        double magnitude = Math.abs(value);
        if (magnitude <= KNEE) {
            return (short) Math.round(value);
        }
        double room = LIMIT - KNEE;
        double bent = KNEE + room * Math.tanh((magnitude - KNEE) / room);
        return (short) Math.round(Math.copySign(bent, value));
    }

    /** Adds up to count samples of a stream to the sum; false once the stream has ended. */
    private boolean addStream(InputStream stream, int count) {
        int filled = 0;
        boolean open = true;
        try {
            while (filled < count) {
                int n = stream.read(scratch, filled, count - filled);
                if (n <= 0) {
                    // Nothing more for now (0) or ever (-1).
                    open = n == 0;
                    break;
                }
                filled += n;
            }
        } catch (IOException | RuntimeException e) {
            // A stream that cannot be read any more is done; the others play on.
            open = false;
        }
        for (int i = 0; i < filled; i++) {
            sum[i] += MuLaw.toLinear(scratch[i]);
        }
        return open;
    }

    private void ensureCapacity(int count) {
        if (scratch.length < count) {
            scratch = new byte[count];
            sum = new int[count];
        }
    }
}
