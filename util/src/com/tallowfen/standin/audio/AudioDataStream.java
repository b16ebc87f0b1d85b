package com.tallowfen.standin.audio;

import java.io.InputStream;

/** Delivers the samples of a clip once, then ends. */
public class AudioDataStream extends InputStream {

    final AudioData data;
    int position;

    public AudioDataStream(AudioData data) {
        this.data = data;
        this.position = data.start;
    }

    @Override
    public synchronized int read() {
        if (position >= data.end && !rewind()) {
            return -1;
        }
        return data.buffer[position++] & 0xff;
    }

    @Override
    public synchronized int read(byte[] into, int offset, int length) {
        if (length == 0) {
            return 0;
        }
        if (position >= data.end && !rewind()) {
            return -1;
        }
        int count = Math.min(length, data.end - position);
        System.arraycopy(data.buffer, position, into, offset, count);
        position += count;
        return count;
    }

    @Override
    public synchronized int available() {
        return data.end - position;
    }

    /** Called at the end of the samples: true when the stream starts over instead of ending. */
    boolean rewind() {
        return false;
    }
}
