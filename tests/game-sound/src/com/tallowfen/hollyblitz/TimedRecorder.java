package com.tallowfen.hollyblitz;

import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.io.PrintWriter;

/**
 * Copies a raw recording from standard input to a file and notes, after each
 * read, the wall-clock time and how many bytes had come by then. A sample
 * cannot arrive before it was played, so the earliest of those notes tells
 * when the recording's first sample was played, in the clock the game logs
 * its sounds with.
 *
 * usage: TimedRecorder <recording> <times: "milliseconds bytes" lines>
 */
public final class TimedRecorder {

    private TimedRecorder() {
    }

    public static void main(String[] args) throws IOException {
        InputStream in = System.in;
        byte[] buffer = new byte[1024];
        long total = 0;
        try (OutputStream out = new FileOutputStream(args[0]);
                PrintWriter times = new PrintWriter(new FileOutputStream(args[1]))) {
            int n;
            while ((n = in.read(buffer)) > 0) {
                long now = System.currentTimeMillis();
                out.write(buffer, 0, n);
                out.flush();
                total += n;
                times.println(now + " " + total);
            }
        }
    }
}
