package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Component;
import java.awt.Robot;
import java.awt.Window;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.IdentityHashMap;
import java.util.List;
import java.util.Set;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/**
 * Reporting a score: the form, the bytes on the wire to a score server on
 * loopback, and the dialog the player gets, answered here with real clicks.
 */
class ScoreSubmissionTest {

    static final String SUCCESS = "Success / Your score has been recorded! / OK";
    static final String NO_CONNECTION = "Error / Could not connect to high score server. / OK";
    static final String EMPTY = "Error / Enter a name and e-mail address. / OK";

    /** A press inside the submit button, in play-area coordinates. */
    static final int SUBMIT_X = 330;
    static final int SUBMIT_Y = 240;

    /** Big enough that the kernel's buffers cannot take it all from a server that never reads. */
    static final int HUGE = 16 << 20;

    HollyBlitz game;
    final String savedServer = HollyBlitz.scoreServer;
    final int savedPort = HollyBlitz.scorePort;
    final int savedConnect = HollyBlitz.scoreConnectMillis;
    final int savedSend = HollyBlitz.scoreSendMillis;

    @BeforeEach
    void openForm() {
        game = TestWorld.create();
        HollyBlitz.scoreServer = "127.0.0.1";
        game.score = 123;
        game.gameState = HollyBlitz.SUBMITSCORE;
        game.scoreInterface.showScoreInterface();
    }

    @AfterEach
    void restore() {
        HollyBlitz.scoreServer = savedServer;
        HollyBlitz.scorePort = savedPort;
        HollyBlitz.scoreConnectMillis = savedConnect;
        HollyBlitz.scoreSendMillis = savedSend;
        game.dispose();
    }

    void fill(String name, String email, boolean optIn) {
        game.scoreInterface.handleField.setText(name);
        game.scoreInterface.emailField.setText(email);
        game.scoreInterface.emailCheckbox.setState(optIn);
    }

    /** A score server on loopback that does one thing with each connection. */
    static final class Server implements AutoCloseable {
        enum Mode { READ_ALL, NEVER_READ, RESET_WHILE_SENDING, NEVER_ANSWER }

        final ServerSocket socket = new ServerSocket();
        final CompletableFuture<byte[]> received = new CompletableFuture<byte[]>();
        final AtomicInteger connections = new AtomicInteger();
        final List<Socket> held = Collections.synchronizedList(new ArrayList<Socket>());
        final Thread thread;
        /** What a READ_ALL server says after the record before it closes; null says nothing, as older servers. */
        final String answer;

        Server(Mode mode) throws IOException {
            this(mode, null);
        }

        Server(Mode mode, String answer) throws IOException {
            this.answer = answer;
            // A small window, so a server that never reads stops the sender soon.
            socket.setReceiveBufferSize(4096);
            socket.bind(new InetSocketAddress(InetAddress.getLoopbackAddress(), 0));
            thread = new Thread(() -> serve(mode), "test score server");
            thread.setDaemon(true);
            thread.start();
        }

        int port() {
            return socket.getLocalPort();
        }

        private void serve(Mode mode) {
            try {
                while (true) {
                    Socket c = socket.accept();
                    connections.incrementAndGet();
                    held.add(c);
                    if (mode == Mode.READ_ALL || mode == Mode.NEVER_ANSWER) {
                        ByteArrayOutputStream all = new ByteArrayOutputStream();
                        InputStream in = c.getInputStream();
                        byte[] buf = new byte[4096];
                        int n;
                        while ((n = in.read(buf)) > 0) {
                            all.write(buf, 0, n);
                        }
                        received.complete(all.toByteArray());
                        if (mode == Mode.READ_ALL) {
                            if (answer != null) {
                                c.getOutputStream().write(answer.getBytes(StandardCharsets.UTF_8));
                            }
                            c.close();
                        }
                    } else if (mode == Mode.RESET_WHILE_SENDING) {
                        c.getInputStream().read();
                        c.setSoLinger(true, 0);
                        c.close();
                    }
                }
            } catch (IOException e) {
                received.completeExceptionally(e);
            }
        }

        @Override
        public void close() throws IOException {
            socket.close();
            synchronized (held) {
                for (Socket c : held) {
                    c.close();
                }
            }
        }
    }

    /**
     * Presses submit on a thread of its own, as the player would, and
     * answers each dialog it shows by clicking its button; returns the
     * dialogs as "title / message / button". While a dialog is open it checks
     * that the world goes on.
     */
    List<String> pressSubmit() throws Exception {
        List<String> seen = new ArrayList<String>();
        Set<Window> answered = Collections.newSetFromMap(new IdentityHashMap<Window, Boolean>());
        Thread player = new Thread(() -> game.buttonSubmit(SUBMIT_X, SUBMIT_Y), "player");
        player.setDaemon(true);
        player.start();
        Robot robot = new Robot();
        long giveUp = System.currentTimeMillis() + 60000;
        while (player.isAlive() && System.currentTimeMillis() < giveUp) {
            AlertDialog open = null;
            for (Window w : game.getOwnedWindows()) {
                if (w instanceof AlertDialog && w.isShowing() && !answered.contains(w)) {
                    open = (AlertDialog) w;
                }
            }
            if (open == null) {
                player.join(20);
                continue;
            }
            seen.add(open.getTitle() + " / " + open.infoLabel.getText() + " / " + open.exitButton.getLabel());
            assertWorldMoves();
            // The first click may come before the server has mapped the window; click until it lands.
            while (open.isShowing() && System.currentTimeMillis() < giveUp) {
                AlertDialogTest.click(robot, open.exitButton.getLocationOnScreen(), open.exitButton.getSize());
                Thread.sleep(50);
            }
            answered.add(open);
        }
        assertFalse(player.isAlive(), "the submission never ended; dialogs so far: " + seen);
        return seen;
    }

    /** A logic step runs on another thread, so nobody holds the world lock. */
    void assertWorldMoves() throws InterruptedException {
        Thread step = new Thread(game::logicStep, "logic step");
        step.start();
        step.join(AlertDialogTest.GIVE_UP_MS);
        assertFalse(step.isAlive(), "the world lock is held while a dialog is open");
    }

    void assertBackOnTheEndPanel() {
        assertEquals(0, game.score, "the points are gone");
        assertEquals(HollyBlitz.POSTGAME, game.gameState);
        for (Component c : controls()) {
            assertFalse(c.isVisible());
        }
    }

    List<Component> controls() {
        ScoreInterface f = game.scoreInterface;
        return Arrays.<Component>asList(f.scoreField, f.handleField, f.emailField, f.emailCheckbox);
    }

    static byte[] line(String text) {
        byte[] plain = text.getBytes(StandardCharsets.ISO_8859_1);
        byte[] out = Arrays.copyOf(plain, plain.length + 1);
        for (int i = 0; i < plain.length; i++) {
            out[i] = (byte) (plain[i] ^ 0x5B);
        }
        out[plain.length] = 10;
        return out;
    }

    static byte[] record(String... lines) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        for (String l : lines) {
            byte[] b = line(l);
            out.write(b, 0, b.length);
        }
        return out.toByteArray();
    }

    @Test
    void theFormStandsOverTheScorePanelAndShowsTheScoreAsSeen() {
        game.addNotify();
        game.pack();
        game.validate();
        ScoreInterface f = game.scoreInterface;
        int[][] bounds = {{310, 74, 128, 24}, {310, 106, 128, 24}, {310, 138, 128, 24}, {170, 180, 12, 12}};
        List<Component> controls = controls();
        for (int i = 0; i < bounds.length; i++) {
            Component c = controls.get(i);
            int[] at = {
                c.getX() - game.playfield.getX(), c.getY() - game.playfield.getY() + HollyBlitz.INSET,
                c.getWidth(), c.getHeight(),
            };
            assertArrayEquals(bounds[i], at, "control " + i);
            assertTrue(c.isVisible());
        }
        assertEquals(600, game.playfield.getWidth());
        assertEquals(450, game.playfield.getHeight());
        assertEquals("1230", f.scoreField.getText());
        assertFalse(f.scoreField.isEditable());
        assertTrue(f.handleField.isEditable());
        assertTrue(f.emailCheckbox.getState(), "the box starts ticked");

        f.handleField.setText("Holly");
        game.scoreInterface.hideScoreInterface();
        for (Component c : controls) {
            assertFalse(c.isVisible());
        }
        game.score = 7;
        game.scoreInterface.showScoreInterface();
        assertEquals("70", f.scoreField.getText());
        assertEquals("Holly", f.handleField.getText(), "the fields keep their text");
    }

    @Test
    void theRecordOnTheWire() throws Exception {
        // Name, e-mail address, box, counter, and the lines the server must get.
        Object[][] cases = {
            {"  Holly #1 ", " holly#@example.org ", false, 123, record("1230", "  Holly 1 ", " holly@example.org ", "0")},
            // A Q in the address would scramble to a line feed; in the name it is kept.
            {"#Q #", "Quinn.Q@x.y", true, 7, record("70", "Q ", "quinn.q@x.y", "1")},
            // Latin-1 characters go as they are, one byte each.
            {"Ren\u00e9e \u00ff", "r@x.y", true, 1, record("10", "Ren\u00e9e \u00ff", "r@x.y", "1")},
        };
        for (Object[] c : cases) {
            try (Server server = new Server(Server.Mode.READ_ALL)) {
                HollyBlitz.scorePort = server.port();
                game.score = (Integer) c[3];
                game.gameState = HollyBlitz.SUBMITSCORE;
                game.scoreInterface.showScoreInterface();
                fill((String) c[0], (String) c[1], (Boolean) c[2]);
                assertEquals(Arrays.asList(SUCCESS), pressSubmit(), (String) c[0]);
                assertArrayEquals((byte[]) c[4], server.received.get(60, TimeUnit.SECONDS), (String) c[0]);
                assertEquals(1, server.connections.get());
                assertBackOnTheEndPanel();
            }
        }
    }

    @Test
    void anEmptyFieldKeepsTheFormAndTheScore() throws Exception {
        try (Server server = new Server(Server.Mode.READ_ALL)) {
            HollyBlitz.scorePort = server.port();
            String[][] cases = {{" \t ", "a@b.c"}, {"Holly", ""}, {"", ""}};
            for (String[] c : cases) {
                fill(c[0], c[1], true);
                assertEquals(Arrays.asList(EMPTY), pressSubmit());
                assertEquals(123, game.score);
                assertEquals(HollyBlitz.SUBMITSCORE, game.gameState);
                assertTrue(game.scoreInterface.handleField.isVisible());
            }
            // A press beside the button does nothing at all.
            game.buttonSubmit(310, SUBMIT_Y);
            game.buttonSubmit(SUBMIT_X, 275);
            assertEquals(HollyBlitz.SUBMITSCORE, game.gameState);
            // Filled in, the same form goes through.
            fill("Holly", "a@b.c", true);
            assertEquals(Arrays.asList(SUCCESS), pressSubmit());
            assertEquals(1, server.connections.get());
        }
    }

    @Test
    void failuresAreReportedAndThePointsAreGone() throws Exception {
        ServerSocket closed = new ServerSocket(0, 1, InetAddress.getLoopbackAddress());
        int refusingPort = closed.getLocalPort();
        closed.close();
        // What the server does, the host, the name, and the one dialog the player gets.
        Object[][] cases = {
            {null, "127.0.0.1", "Holly", NO_CONNECTION},
            {null, "no-such-host.invalid", "Holly", NO_CONNECTION},
        };
        HollyBlitz.scoreConnectMillis = 3000;
        HollyBlitz.scoreSendMillis = 3000;
        for (Object[] c : cases) {
            Server server = c[0] == null ? null : new Server((Server.Mode) c[0]);
            try {
                HollyBlitz.scoreServer = (String) c[1];
                HollyBlitz.scorePort = server == null ? refusingPort : server.port();
                game.score = 123;
                game.gameState = HollyBlitz.SUBMITSCORE;
                game.scoreInterface.showScoreInterface();
                fill((String) c[2], "holly@example.org", true);
                assertEquals(Arrays.asList((String) c[3]), pressSubmit(), c[0] + " " + c[1]);
                assertBackOnTheEndPanel();
                // Nothing is left to report.
                game.gameState = HollyBlitz.SUBMITSCORE;
                game.buttonSubmit(SUBMIT_X, SUBMIT_Y);
                assertEquals(HollyBlitz.SUBMITSCORE, game.gameState);
            } finally {
                if (server != null) {
                    server.close();
                }
            }
        }
    }

    /**
     * A record the server does not take ends within the time given: the form
     * keeps records small, so the sending is driven here with a huge one.
     */
    @Test
    void sendingEndsWhenTheServerDoesNotTakeTheRecord() throws Exception {
        byte[] huge = new byte[HUGE];
        // The server resets the connection while the record goes, or takes the connection and never reads.
        for (Server.Mode mode : new Server.Mode[] {Server.Mode.RESET_WHILE_SENDING, Server.Mode.NEVER_READ}) {
            try (Server server = new Server(mode)) {
                Socket connection = ScoreConnection.connect("127.0.0.1", server.port(), 3000);
                assertFalse(ScoreConnection.send(connection, huge, 3000), mode.toString());
                assertTrue(connection.isClosed(), mode.toString());
            }
        }
    }

    static final String NOT_RECORDED = "Error / Your score was not recorded: ";

    @Test
    void theServersAnswerDecidesWhatThePlayerIsTold() throws Exception {
        // What the server does after reading the record, and the one dialog the player gets.
        Object[][] cases = {
            {Server.Mode.READ_ALL, "OK\n", SUCCESS},
            {Server.Mode.READ_ALL, "OK", SUCCESS},
            {Server.Mode.READ_ALL, null, SUCCESS},
            {Server.Mode.READ_ALL, "REFUSED name longer than 64 characters\n",
                NOT_RECORDED + "name longer than 64 characters / OK"},
            {Server.Mode.READ_ALL, "FAILED database unavailable\n", NOT_RECORDED + "database unavailable / OK"},
            {Server.Mode.READ_ALL, "\n", NOT_RECORDED + "no reason given / OK"},
            // The record was read but no word comes back: the bounded wait ends it.
            {Server.Mode.NEVER_ANSWER, null, NO_CONNECTION},
        };
        HollyBlitz.scoreSendMillis = 3000;
        for (Object[] c : cases) {
            try (Server server = new Server((Server.Mode) c[0], (String) c[1])) {
                HollyBlitz.scorePort = server.port();
                game.score = 123;
                game.setGameState(HollyBlitz.SUBMITSCORE);
                game.scoreInterface.showScoreInterface();
                fill("Holly", "holly@example.org", true);
                assertEquals(Arrays.asList((String) c[2]), pressSubmit(), String.valueOf(c[1]));
                assertArrayEquals(record("1230", "Holly", "holly@example.org", "1"),
                    server.received.get(60, TimeUnit.SECONDS));
                assertBackOnTheEndPanel();
            }
        }
    }

    @Test
    void whatTheRecordCannotCarryIsSaidBeforeSending() throws Exception {
        String longest = new String(new char[ScoreLimits.MAX_NAME_CHARS]).replace('\0', 'n');
        // Name, e-mail address, and the dialog; the form stays open with the score kept.
        String[][] cases = {
            {"##", "a@b.c", EMPTY},
            {"Holly", " # ", EMPTY},
            {"\u65e5\u672c\u65e5", "a@b.c", "Error / These characters cannot be sent: \u65e5 \u672c. Please leave them out. / OK"},
            {"Holly", "h\u20ac@b.c", "Error / These characters cannot be sent: \u20ac. Please leave them out. / OK"},
        };
        try (Server server = new Server(Server.Mode.READ_ALL)) {
            HollyBlitz.scorePort = server.port();
            for (String[] c : cases) {
                fill(c[0], c[1], true);
                assertEquals(Arrays.asList(c[2]), pressSubmit(), c[0]);
                assertEquals(123, game.score);
                assertEquals(HollyBlitz.SUBMITSCORE, game.gameState);
                assertTrue(game.scoreInterface.handleField.isVisible());
            }
            assertEquals(0, server.connections.get(), "nothing was sent");
            // A name past the server's limit is cut at the limit and goes as long as it may.
            fill(longest + "xyz", "holly@example.org", false);
            long giveUp = System.currentTimeMillis() + AlertDialogTest.GIVE_UP_MS;
            while (game.scoreInterface.handleField.getText().length() > ScoreLimits.MAX_NAME_CHARS
                    && System.currentTimeMillis() < giveUp) {
                Thread.sleep(20);
            }
            assertEquals(longest, game.scoreInterface.handleField.getText());
            assertEquals(Arrays.asList(SUCCESS), pressSubmit());
            assertArrayEquals(record("1230", longest, "holly@example.org", "0"), server.received.get(60, TimeUnit.SECONDS));
        }
        assertEquals("Names and e-mail addresses can have at most 64 characters.",
            ScoreRecord.formProblem("Holly", longest + "@"));
    }

    @Test
    void theCounterStopsWhereTheShownScoreStillFits() {
        game.score = ScoreLimits.MAX_COUNTER - 1;
        game.addPoints(50);
        assertEquals(ScoreLimits.MAX_COUNTER, game.score);
        assertEquals(2147483640, HollyBlitz.pointsShown(game.score));
        game.addPoints(Integer.MAX_VALUE);
        assertEquals(ScoreLimits.MAX_COUNTER, game.score);
    }

    /** The server's reader and this form must agree on what a record may hold. */
    @Test
    void theLimitsAgreeWithTheScoreServers() throws IOException {
        String header = new String(java.nio.file.Files.readAllBytes(
            java.nio.file.Paths.get(System.getenv("QUILLPOD_SOURCE_DIR"), "scores", "record.h")), StandardCharsets.UTF_8);
        java.util.regex.Matcher field = java.util.regex.Pattern.compile("kMaxFieldChars\\s*=\\s*(\\d+)").matcher(header);
        java.util.regex.Matcher top = java.util.regex.Pattern.compile("kMaxScore\\s*=\\s*(\\d+)").matcher(header);
        assertTrue(field.find() && top.find(), "the limits in scores/record.h");
        assertEquals(Integer.parseInt(field.group(1)), ScoreLimits.MAX_NAME_CHARS);
        assertEquals(Integer.parseInt(field.group(1)), ScoreLimits.MAX_EMAIL_CHARS);
        assertEquals(Long.parseLong(top.group(1)), (long) HollyBlitz.pointsShown(ScoreLimits.MAX_COUNTER));
    }

    @Test
    void scramblingKeepsTheLowEightBits() {
        assertArrayEquals(new byte[] {0x6a, 0x69, 0x68, 0x6b}, HollyBlitz.cryptString("1230"));
        assertArrayEquals(new byte[] {0x0a, (byte) 0xf7, (byte) 0xa4}, HollyBlitz.cryptString("Q\u20ac\u00ff"));
        assertArrayEquals(new byte[0], HollyBlitz.cryptString(""));
    }
}
