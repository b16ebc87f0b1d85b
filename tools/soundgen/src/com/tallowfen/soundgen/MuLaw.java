package com.tallowfen.soundgen;

/** G.711 mu-law, the sample format of the game's sound player. */
final class MuLaw {
    private static final int BIAS = 0x84;
    private static final int CLIP = 32635;

    private MuLaw() {
    }

    /** Encodes one 16-bit linear sample; values beyond the mu-law range are held at its limit. */
    static byte encode(int pcm) {
        int sign = pcm < 0 ? 0x80 : 0;
        int magnitude = StrictMath.min(StrictMath.abs(pcm), CLIP) + BIAS;
        int exponent = 7;
        for (int mask = 0x4000; (magnitude & mask) == 0 && exponent > 0; mask >>= 1) {
            exponent--;
        }
        int mantissa = (magnitude >> (exponent + 3)) & 0x0F;
        return (byte) ~(sign | (exponent << 4) | mantissa);
    }

    /** Decodes one mu-law byte to a 16-bit linear sample. */
    static int decode(byte code) {
        int u = ~code & 0xFF;
        int magnitude = (((u & 0x0F) << 3) + BIAS) << ((u >> 4) & 0x07);
        magnitude -= BIAS;
        return (u & 0x80) != 0 ? -magnitude : magnitude;
    }
}
