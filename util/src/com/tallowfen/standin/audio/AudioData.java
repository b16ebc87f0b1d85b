package com.tallowfen.standin.audio;

/**
 * Clip data for the player: 8-bit mu-law samples, 8,000 a second, one channel.
 * Over the bytes of a Sun audio file (magic ".snd") only the sample part
 * counts, so the header is never played as noise; other bytes are all samples.
 */
public class AudioData {

    private static final long MAGIC = 0x2e736e64L; // ".snd"
    private static final int MIN_HEADER = 24;
    private static final int USUAL_HEADER = 28;
    private static final long UNKNOWN_SIZE = 0xffffffffL;

    final byte[] buffer;
    final int start;
    final int end;

    public AudioData(byte[] buffer) {
        this.buffer = buffer;
        long offset = field(buffer, 4);
        if (!hasSunHeader(buffer)) {
            start = 0;
            end = buffer.length;
        } else if (offset >= MIN_HEADER && offset <= buffer.length) {
            start = (int) offset;
            end = dataEnd(buffer, start);
        } else {
            // A header that contradicts itself: trust neither offset nor size.
            start = Math.min(USUAL_HEADER, buffer.length);
            end = buffer.length;
        }
    }

    /** The number of samples a single playback delivers. */
    public int getSampleCount() {
        return end - start;
    }

    private static boolean hasSunHeader(byte[] b) {
        return field(b, 0) == MAGIC;
    }

    /** The end of the samples: the declared data size when it fits, else the end of the file. */
    private static int dataEnd(byte[] b, int start) {
        long size = field(b, 8);
        if (size >= 0 && size != UNKNOWN_SIZE && size <= b.length - start) {
            return start + (int) size;
        }
        return b.length;
    }

    /** The unsigned big-endian header field at a byte position, or -1 past the end. */
    private static long field(byte[] b, int at) {
        if (b.length < at + 4) {
            return -1;
        }
        return readInt(b, at) & 0xffffffffL;
    }

    private static int readInt(byte[] b, int at) {
        return (b[at] & 0xff) << 24 | (b[at + 1] & 0xff) << 16 | (b[at + 2] & 0xff) << 8 | (b[at + 3] & 0xff);
    }
}
