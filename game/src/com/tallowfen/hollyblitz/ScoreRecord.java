package com.tallowfen.hollyblitz;

import java.io.ByteArrayOutputStream;

/**
 * What the score form sends: the check of the name and e-mail address the
 * player typed, and the four scrambled lines of the record on the wire.
 */
final class ScoreRecord {

    /** Byte that scrambles every character of the score record. */
    static final int SCRAMBLE_KEY = 0x5B;

    private ScoreRecord() {
    }

    /**
     * What keeps the form from being sent, as the message for the player, or
     * null when it can go: a name or address blank once its "#" characters
     * are gone (the record drops them), one longer than the server takes, or
     * characters the record's one byte per character cannot carry.
     */
    static String formProblem(String name, String email) {
        String sentName = name.replace("#", "");
        String sentEmail = email.replace("#", "");
        if (sentName.trim().isEmpty() || sentEmail.trim().isEmpty()) {
            return "Enter a name and e-mail address.";
        }
        if (sentName.length() > ScoreLimits.MAX_NAME_CHARS || sentEmail.length() > ScoreLimits.MAX_EMAIL_CHARS) {
            return "Names and e-mail addresses can have at most " + ScoreLimits.MAX_NAME_CHARS + " characters.";
        }
        StringBuilder unsendable = new StringBuilder();
        String both = sentName + sentEmail;
        for (int i = 0; i < both.length(); i++) {
            char c = both.charAt(i);
            if (c > 255 && unsendable.indexOf(String.valueOf(c)) < 0) {
                unsendable.append(unsendable.length() == 0 ? "" : " ").append(c);
            }
        }
        if (unsendable.length() > 0) {
            return "These characters cannot be sent: " + unsendable + ". Please leave them out.";
        }
        return null;
    }

    /** The four lines on the wire for a score as shown: each scrambled, each ended by a plain line feed. */
    static byte[] lines(int shownScore, String name, String email, boolean optIn) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        String[] lines = {
            Integer.toString(shownScore), name.replace("#", ""),
            // A Q scrambles to a line feed, which would split the record; addresses are not case sensitive.
            email.replace("#", "").replace('Q', 'q'), optIn ? "1" : "0",
        };
        for (String line : lines) {
            byte[] scrambled = scramble(line);
            out.write(scrambled, 0, scrambled.length);
            out.write(10);
        }
        return out.toByteArray();
    }

    /** One byte per character: its low 8 bits XOR the scramble key. */
    static byte[] scramble(String s) {
        byte[] out = new byte[s.length()];
        for (int i = 0; i < out.length; i++) {
            out[i] = (byte) ((s.charAt(i) ^ SCRAMBLE_KEY) & 0xff);
        }
        return out;
    }
}
