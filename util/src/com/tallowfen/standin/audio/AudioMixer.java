package com.tallowfen.standin.audio;

import java.io.IOException;
import java.io.InputStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The set of streams being played and their mix: every stream is read as
 * mu-law, decoded and summed with clipping into 16-bit samples. A stream
 * leaves the set when it ends or fails to read; the rest of the mix goes on.
 */
public class AudioMixer {

    private final List<InputStream> streams = new ArrayList<InputStream>();
    private byte[] scratch = new byte[0];
    private int[] sum = new int[0];

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
        for (int i = 0; i < count; i++) {
            out[offset + i] = clip(sum[i]);
        }
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

    private static short clip(int value) {
        if (value > Short.MAX_VALUE) {
            return Short.MAX_VALUE;
        }
        if (value < Short.MIN_VALUE) {
            return Short.MIN_VALUE;
        }
        return (short) value;
    }
}
