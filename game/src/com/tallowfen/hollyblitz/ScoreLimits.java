package com.tallowfen.hollyblitz;

/**
 * What a score report can carry, the same limits the score server checks:
 * the name and the e-mail address in characters, and the points counter,
 * whose shown score (ten times the counter) an int still holds exactly.
 */
final class ScoreLimits {
    static final int MAX_NAME_CHARS = 64;
    static final int MAX_EMAIL_CHARS = 64;
    static final int MAX_COUNTER = 214748364;

    private ScoreLimits() {
    }
}
