package com.tallowfen.hollyblitz;

/**
 * What a score record can carry, as the high-score server reads it: the
 * form stops at these lengths, and the score counter at the greatest count
 * whose score (ten points a count) an int still holds exactly.
 */
final class ScoreLimits {
    /** Longest name the server keeps, in characters. */
    static final int MAX_NAME_CHARS = 64;
    /** Longest e-mail address the server keeps, in characters. */
    static final int MAX_EMAIL_CHARS = 64;
    /** Greatest score counter; the score shown and sent is ten times it. */
    static final int MAX_COUNTER = 214748364;
    /** The record carries each character as one byte: its low 8 bits. */
    static final char MAX_RECORD_CHAR = '\u00ff';

    private ScoreLimits() {
    }
}
