package com.tallowfen.standin.audio;

/** Decoding of 8-bit mu-law (G.711) samples to 16-bit linear ones. */
final class MuLaw {

    private static final short[] LINEAR = new short[256];

    static {
        for (int i = 0; i < 256; i++) {
            LINEAR[i] = decode(i);
        }
    }

    private MuLaw() {
    }

    /** The linear value of a mu-law byte. */
    static short toLinear(byte sample) {
        return LINEAR[sample & 0xff];
    }

    private static short decode(int muLaw) {
        int u = ~muLaw & 0xff;
        int magnitude = (((u & 0x0f) << 3) + 0x84) << ((u & 0x70) >> 4);
        return (short) ((u & 0x80) != 0 ? 0x84 - magnitude : magnitude - 0x84);
    }
}
