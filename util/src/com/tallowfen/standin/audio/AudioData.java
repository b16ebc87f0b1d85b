package com.tallowfen.standin.audio;

/**
 * Clip data for the player: 8-bit mu-law samples, 8,000 a second, one channel.
 * Over the bytes of a Sun audio file (magic ".snd") only the sample part
 * counts, so the header is never played as noise; other bytes are all samples.
 */
public class AudioData {

    private static final int MAGIC = 0x2e736e64; // ".snd"
    private static final int MIN_HEADER = 24;
    private static final int USUAL_HEADER = 28;
    private static final long UNKNOWN_SIZE = 0xffffffffL;

    final byte[] buffer;
    final int start;
    final int end;

    public AudioData(byte[] buffer) {
        this.buffer = buffer;
        if (hasSunHeader(buffer)) {
            start = headerLength(buffer);
            end = dataEnd(buffer, start);
        } else {
            start = 0;
            end = buffer.length;
        }
    }

    /** The number of samples a single playback delivers. */
    public int getSampleCount() {
        return end - start;
    }

    private static boolean hasSunHeader(byte[] b) {
        return b.length >= 4 && readInt(b, 0) == MAGIC;
    }

    /** The header's own data offset when it lies inside the file, else the usual 28 bytes. */
    private static int headerLength(byte[] b) {
        if (b.length >= 8) {
            long offset = readInt(b, 4) & 0xffffffffL;
            if (offset >= MIN_HEADER && offset <= b.length) {
                return (int) offset;
            }
        }
        return Math.min(USUAL_HEADER, b.length);
    }

    /** The end of the samples: the declared data size when it fits, else the end of the file. */
    private static int dataEnd(byte[] b, int start) {
        if (b.length >= 12) {
            long size = readInt(b, 8) & 0xffffffffL;
            if (size != UNKNOWN_SIZE && size <= b.length - start) {
                return start + (int) size;
            }
        }
        return b.length;
    }

    private static int readInt(byte[] b, int at) {
        return (b[at] & 0xff) << 24 | (b[at + 1] & 0xff) << 16 | (b[at + 2] & 0xff) << 8 | (b[at + 3] & 0xff);
    }
}
