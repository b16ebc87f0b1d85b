package com.tallowfen.hollyblitz;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.InterruptedIOException;
import java.io.OutputStream;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.Socket;
import java.net.SocketTimeoutException;
import java.nio.charset.StandardCharsets;
import java.util.Timer;
import java.util.TimerTask;

/**
 * The network side of a score report: one fresh connection to the score
 * server, the record written to it, the server's one-line answer read back,
 * each step within a bounded time so that
 * a host that does not answer never holds the player for long.
 */
final class ScoreConnection {

    private ScoreConnection() {
    }

    /**
     * One whole report: connects, sends the record and reads the answer, each
     * within the times given. Returns null when the server stored the record,
     * else what to tell the player.
     */
    static String report(String host, int port, byte[] record, int connectMillis, int sendMillis) {
        Socket connection;
        try {
            connection = connect(host, port, connectMillis);
        } catch (IOException | RuntimeException e) {
            return "Could not connect to high score server.";
        }
        if (!send(connection, record, sendMillis)) {
            return "Error sending score to server.";
        }
        String refusal;
        try {
            refusal = readAnswer(connection, sendMillis);
        } catch (IOException | RuntimeException e) {
            return "Could not connect to high score server.";
        }
        return refusal == null ? null : "Your score was not recorded: " + refusal;
    }

    /**
     * Connects within the time given, the name look-up included; a look-up
     * that hangs is left to finish on its own daemon thread.
     */
    static Socket connect(final String host, int port, int millis) throws IOException {
        final long deadline = System.nanoTime() + millis * 1000000L;
        final InetAddress[] found = new InetAddress[1];
        final IOException[] failed = new IOException[1];
        Thread lookup = new Thread("Score server look-up") {
            @Override
            public void run() {
                try {
                    InetAddress address = InetAddress.getByName(host);
                    synchronized (found) {
                        found[0] = address;
                    }
                } catch (IOException e) {
                    synchronized (found) {
                        failed[0] = e;
                    }
                }
            }
        };
        lookup.setDaemon(true);
        lookup.start();
        try {
            lookup.join(Math.max(1, millis));
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new InterruptedIOException("interrupted while looking up " + host);
        }
        synchronized (found) {
            if (failed[0] != null) {
                throw failed[0];
            }
            if (found[0] == null) {
                throw new SocketTimeoutException("no address for " + host + " in time");
            }
        }
        long left = (deadline - System.nanoTime()) / 1000000L;
        if (left <= 0) {
            throw new SocketTimeoutException("no address for " + host + " in time");
        }
        Socket s = new Socket();
        try {
            s.connect(new InetSocketAddress(found[0], port), (int) left);
        } catch (IOException | RuntimeException e) {
            s.close();
            throw e;
        }
        return s;
    }

    /**
     * Writes the record and ends the sending half of the connection, which
     * stays open for the server's answer; false when a step fails or the
     * whole exchange takes longer than the time given (a watchdog then closes
     * the connection, which ends a write the server never takes). On false
     * the connection is closed.
     */
    static boolean send(final Socket connection, byte[] record, int millis) {
        Timer watchdog = new Timer("Score send deadline", true);
        final boolean[] late = new boolean[1];
        watchdog.schedule(new TimerTask() {
            @Override
            public void run() {
                synchronized (late) {
                    late[0] = true;
                }
                closeQuietly(connection);
            }
        }, Math.max(1, millis));
        try {
            OutputStream out = connection.getOutputStream();
            out.write(record);
            out.flush();
            connection.shutdownOutput();
        } catch (IOException | RuntimeException e) {
            closeQuietly(connection);
            return false;
        } finally {
            watchdog.cancel();
        }
        synchronized (late) {
            return !late[0];
        }
    }

    static void closeQuietly(Socket s) {
        try {
            s.close();
        } catch (IOException e) {
            // Nothing more can go wrong with a connection being given up.
        }
    }

    /** Longest answer line taken from the server; a longer one is cut there. */
    static final int MAX_ANSWER_BYTES = 200;

    /**
     * Reads the server's one-line answer within the time given and closes the
     * connection. Returns null when the record was stored: the line starts
     * with OK, or the server closed without a word (older servers answer
     * nothing). Otherwise returns the reason the server gave (the line after
     * its first word, or the whole line when it has no more), in printable
     * characters. Throws when no answer comes in time or the connection fails.
     */
    static String readAnswer(Socket connection, int millis) throws IOException {
        try {
            long deadline = System.nanoTime() + millis * 1000000L;
            InputStream in = connection.getInputStream();
            ByteArrayOutputStream line = new ByteArrayOutputStream();
            boolean answered = false;
            while (line.size() < MAX_ANSWER_BYTES) {
                long left = (deadline - System.nanoTime()) / 1000000L;
                if (left <= 0) {
                    throw new SocketTimeoutException("no answer from the score server in time");
                }
                connection.setSoTimeout((int) Math.min(Integer.MAX_VALUE, left));
                int b = in.read();
                if (b < 0) {
                    break;
                }
                answered = true;
                if (b == '\n') {
                    break;
                }
                line.write(b);
            }
            String text = new String(line.toByteArray(), StandardCharsets.UTF_8).trim();
            if (!answered || text.startsWith("OK")) {
                return null;
            }
            return reason(text);
        } finally {
            closeQuietly(connection);
        }
    }

    /** The words after an answer's first one, with control characters left out. */
    static String reason(String answer) {
        int space = answer.indexOf(' ');
        String words = space < 0 ? answer : answer.substring(space + 1).trim();
        if (words.isEmpty()) {
            words = answer;
        }
        StringBuilder out = new StringBuilder(words.length());
        for (int i = 0; i < words.length(); i++) {
            char c = words.charAt(i);
            if (!Character.isISOControl(c)) {
                out.append(c);
            }
        }
        return out.length() == 0 ? "no reason given" : out.toString();
    }
}
