package com.tallowfen.hollyblitz;

import java.io.IOException;
import java.io.InterruptedIOException;
import java.io.OutputStream;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.Socket;
import java.net.SocketTimeoutException;
import java.util.Timer;
import java.util.TimerTask;

/**
 * The network side of a score report: one fresh connection to the score
 * server, the record written to it, each step within a bounded time so that
 * a host that does not answer never holds the player for long.
 */
final class ScoreConnection {

    private ScoreConnection() {
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
     * Writes the record and closes the connection; false when a step fails or
     * the whole exchange takes longer than the time given (a watchdog then
     * closes the connection, which ends a write the server never takes).
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
            out.close();
            connection.close();
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
}
