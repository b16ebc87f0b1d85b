package com.tallowfen.artgen;

/** How a picture meets what is drawn behind it. */
enum Kind {
    /** Panels and the sky: every pixel drawn. */
    OPAQUE,
    /** Figures on a see-through ground, cut at half alpha. */
    SPRITE,
    /** Smoke, bursts and puffs: see-through, thinning out by an ordered stipple as they fade. */
    FADING
}
