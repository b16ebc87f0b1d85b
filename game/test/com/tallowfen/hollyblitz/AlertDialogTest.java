package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Color;
import java.awt.FontMetrics;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Insets;
import java.awt.Label;
import java.awt.Point;
import java.awt.Rectangle;
import java.awt.Robot;
import java.awt.Toolkit;
import java.awt.event.InputEvent;
import java.awt.event.WindowEvent;
import java.awt.image.BufferedImage;
import java.io.IOException;
import java.net.InetAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

class AlertDialogTest {

    /** Hang guard for a modal wait, not a speed limit. */
    static final long GIVE_UP_MS = 20000;

    Frame owner;
    AlertDialog dialog;

    @BeforeEach
    void openOwner() {
        owner = new Frame("owner");
        owner.setBounds(100, 50, 600, 472);
    }

    @AfterEach
    void closeWindows() {
        if (dialog != null) {
            dialog.dispose();
        }
        owner.dispose();
    }

    /** A dialog whose platform claims these borders, as a window manager would add them. */
    static AlertDialog withBorders(Frame owner, boolean modal, Insets borders) {
        return new AlertDialog(owner, modal) {
            private static final long serialVersionUID = 1L;

            @Override
            public Insets getInsets() {
                return isDisplayable() ? (Insets) borders.clone() : new Insets(0, 0, 0, 0);
            }
        };
    }

    static void settle() throws Exception {
        EventQueue.invokeAndWait(() -> { });
        Toolkit.getDefaultToolkit().sync();
    }

    @Test
    void startsHiddenWithItsFixedLayout() {
        dialog = new AlertDialog(owner);
        assertFalse(dialog.isVisible());
        assertFalse(dialog.isModal());
        assertEquals(null, dialog.getLayout());
        assertEquals(Color.lightGray, dialog.getBackground());
        assertEquals(new Rectangle(0, 0, 228, 128), dialog.getBounds());
        assertEquals("text", dialog.infoLabel.getText());
        assertEquals(Label.CENTER, dialog.infoLabel.getAlignment());
        assertEquals(new Rectangle(24, 24, 192, 48), dialog.infoLabel.getBounds());
        assertEquals("exitButton", dialog.exitButton.getLabel());
        assertEquals(new Rectangle(84, 84, 60, 24), dialog.exitButton.getBounds());
        assertFalse(dialog.fComponentsAdjusted);
    }

    @Test
    void constructorsAndSettersFillInTheMessage() {
        dialog = new AlertDialog(owner, "Error", true);
        assertTrue(dialog.isModal());
        assertEquals("Error", dialog.getTitle());
        assertTrue(new AlertDialog(owner, true).isModal());
        dialog.setAlertTitle("Success");
        dialog.setAlertMessage("Your score has been recorded!");
        dialog.setAlertButtonLabel("OK");
        assertEquals("Success", dialog.getTitle());
        assertEquals("Your score has been recorded!", dialog.infoLabel.getText());
        assertEquals("OK", dialog.exitButton.getLabel());
    }

    @Test
    void firstShowingCentresBeforeBordersAreAdded() throws Exception {
        owner.setVisible(true);
        dialog = new AlertDialog(owner);
        dialog.setVisible(true);
        settle();
        Insets borders = dialog.getInsets();
        assertEquals(new Point(286, 222), dialog.getLocation());
        assertEquals(228 + borders.left + borders.right, dialog.getWidth());
        assertEquals(128 + borders.top + borders.bottom, dialog.getHeight());
        assertEquals(new Point(24 + borders.left, 24 + borders.top), dialog.infoLabel.getLocation());
        assertEquals(new Point(84 + borders.left, 84 + borders.top), dialog.exitButton.getLocation());
        assertTrue(dialog.fComponentsAdjusted);
    }

    @Test
    void childrenMoveByTheBordersOnceAcrossNativeWindows() throws Exception {
        dialog = withBorders(owner, false, new Insets(20, 4, 6, 4));
        dialog.setVisible(true);
        settle();
        assertEquals(new Point(286, 222), dialog.getLocation());
        assertEquals(new Rectangle(28, 44, 192, 48), dialog.infoLabel.getBounds());
        assertEquals(new Rectangle(88, 104, 60, 24), dialog.exitButton.getBounds());

        dialog.dispose();
        dialog.setVisible(true);
        settle();
        assertEquals(new Rectangle(28, 44, 192, 48), dialog.infoLabel.getBounds());
        assertEquals(new Rectangle(88, 104, 60, 24), dialog.exitButton.getBounds());
        assertEquals(236, dialog.getWidth());
        assertEquals(154, dialog.getHeight());
        assertEquals(new Point(100 + (600 - 236) / 2, 50 + (472 - 154) / 2), dialog.getLocation());
    }

    /** Shows the dialog modally on a thread of its own, which ends when the dialog lets it go. */
    Thread startModalCaller() {
        Thread caller = new Thread(() -> dialog.setVisible(true), "modal caller");
        caller.setDaemon(true);
        caller.start();
        return caller;
    }

    /** Polls until the dialog is up; a hang guard, not a speed limit. */
    void awaitVisible() throws Exception {
        long deadline = System.currentTimeMillis() + GIVE_UP_MS;
        while (!dialog.isVisible() && System.currentTimeMillis() < deadline) {
            Thread.sleep(1);
        }
        assertTrue(dialog.isVisible(), "the dialog never appeared");
    }

    @Test
    void modalShowingWaitsForTheButton() throws Exception {
        owner.setVisible(true);
        dialog = new AlertDialog(owner, "Error", true);
        dialog.setAlertMessage("Could not connect to high score server.");
        dialog.setAlertButtonLabel("OK");
        Thread caller = startModalCaller();
        awaitVisible();
        Robot robot = new Robot();
        robot.waitForIdle();
        assertTrue(caller.isAlive(), "a modal showing blocks its caller");

        // The first click may arrive before the server has mapped the window; click until it lands.
        long deadline = System.currentTimeMillis() + GIVE_UP_MS;
        while (caller.isAlive() && System.currentTimeMillis() < deadline) {
            click(robot, dialog.exitButton.getLocationOnScreen(), dialog.exitButton.getSize());
            caller.join(200);
        }
        assertFalse(caller.isAlive(), "pressing the button ends the modal wait");
        assertFalse(dialog.isVisible());
        assertTrue(dialog.isDisplayable(), "hidden, not disposed");
    }

    static void click(Robot robot, Point at, java.awt.Dimension size) {
        robot.mouseMove(at.x + size.width / 2, at.y + size.height / 2);
        robot.mousePress(InputEvent.BUTTON1_DOWN_MASK);
        robot.mouseRelease(InputEvent.BUTTON1_DOWN_MASK);
        robot.waitForIdle();
    }

    /** Ways a modal dialog gets closed, by the player or by the program. */
    enum Closer {
        CLOSE_CONTROL {
            @Override
            void close(AlertDialog dialog) {
                Toolkit.getDefaultToolkit().getSystemEventQueue()
                    .postEvent(new WindowEvent(dialog, WindowEvent.WINDOW_CLOSING));
            }
        },
        BUTTON {
            @Override
            void close(AlertDialog dialog) {
                Toolkit.getDefaultToolkit().getSystemEventQueue().postEvent(new java.awt.event.ActionEvent(
                    dialog.exitButton, java.awt.event.ActionEvent.ACTION_PERFORMED, "OK"));
            }
        },
        HIDE_FROM_ANOTHER_THREAD {
            @Override
            void close(AlertDialog dialog) {
                dialog.setVisible(false);
            }
        };

        abstract void close(AlertDialog dialog);
    }

    /**
     * A close that comes the moment the dialog is up, while its caller is
     * still on its way into the modal wait, must end that wait all the same.
     * Repeated, because the moment differs from one showing to the next.
     */
    @Test
    void closeControlHidesAndEndsModalWait() throws Exception {
        owner.setVisible(true);
        for (int round = 0; round < 30; round++) {
            for (Closer closer : Closer.values()) {
                dialog = new AlertDialog(owner, "Error", true);
                Thread caller = startModalCaller();
                awaitVisible();
                closer.close(dialog);
                caller.join(GIVE_UP_MS);
                assertFalse(caller.isAlive(), closer + " in round " + round + " left the caller waiting");
                assertFalse(dialog.isVisible());
                assertTrue(dialog.isDisplayable(), "hidden, not disposed");
                dialog.dispose();
            }
        }
        dialog = null;
    }

    /**
     * Every message the game puts in a dialog: its own sentences, what the
     * score form says before sending, and what the game makes of each
     * answer the score server can give (read from the server's sources),
     * through a report to a server on loopback that gives that answer.
     */
    static List<String> gameMessages() throws Exception {
        List<String> messages = new ArrayList<String>(Arrays.asList(
            "Could not connect to high score server.",
            "Error sending score to server.",
            "Your score has been recorded!",
            ScoreRecord.formProblem("", "elf@pole.example"),
            ScoreRecord.formProblem(String.join("", Collections.nCopies(65, "x")), "elf@pole.example"),
            ScoreRecord.formProblem("\u65e5\u672c", "elf@pole.example"),
            ScoreRecord.formProblem("Holly \u0141\u0153\u20ac\u2603", "elf@pole.example")));
        Path scores = Paths.get(System.getenv().getOrDefault("QUILLPOD_SOURCE_DIR", "."), "scores");
        Matcher answers = Pattern.compile("Refusal\\{\"([^\"]+)\"|\"((?:REFUSED|FAILED) [^\"\\\\]+)")
            .matcher(new String(Files.readAllBytes(scores.resolve("record.cpp")), StandardCharsets.UTF_8)
                + new String(Files.readAllBytes(scores.resolve("server.cpp")), StandardCharsets.UTF_8));
        int answersFound = 0;
        while (answers.find()) {
            String answer = answers.group(1) != null ? "REFUSED " + answers.group(1) : answers.group(2);
            messages.add(reportedFor(answer));
            answersFound++;
        }
        assertTrue(answersFound > 0, "no server answers found under " + scores);
        return messages;
    }

    /** What the game tells the player when a score server on loopback gives this answer to a report. */
    static String reportedFor(String answer) throws Exception {
        try (ServerSocket server = new ServerSocket(0, 1, InetAddress.getLoopbackAddress())) {
            Thread peer = new Thread(() -> {
                try (Socket s = server.accept()) {
                    s.getInputStream().read(new byte[4096]);
                    s.getOutputStream().write((answer + "\n").getBytes(StandardCharsets.UTF_8));
                } catch (IOException e) {
                    // The report then fails and says so; the assertion below shows it.
                }
            });
            peer.start();
            byte[] record = "10\nHolly\nelf@pole.example\n0\n".getBytes(StandardCharsets.US_ASCII);
            String message = ScoreConnection.report("127.0.0.1", server.getLocalPort(), record, 10000, 10000);
            peer.join();
            assertTrue(message != null && !message.startsWith("Could not"), answer + " gave " + message);
            return message;
        }
    }

    /** The box around the pixels of a picture that are much darker than the dialog's grey, or null. */
    static Rectangle ink(BufferedImage picture) {
        Rectangle box = null;
        for (int y = 0; y < picture.getHeight(); y++) {
            for (int x = 0; x < picture.getWidth(); x++) {
                Color c = new Color(picture.getRGB(x, y));
                if (c.getRed() + c.getGreen() + c.getBlue() < 3 * 110) {
                    Rectangle dot = new Rectangle(x, y, 1, 1);
                    box = box == null ? dot : box.union(dot);
                }
            }
        }
        return box;
    }

    /**
     * Each message is written whole on this platform's fonts: every line
     * fits the label's box at a legible size, the lines give back the whole
     * message, and on the screen the writing keeps clear of the box's edges
     * (a label that cuts a text writes right up to both of them) and is as
     * wide as the widest line measured.
     */
    @Test
    void everyGameMessageIsWrittenWholeAtRealSize() throws Exception {
        owner.setVisible(true);
        Robot robot = new Robot();
        for (String message : gameMessages()) {
            dialog = new AlertDialog(owner, "Error", false);
            dialog.setAlertMessage(message);
            dialog.setAlertButtonLabel("OK");
            dialog.setVisible(true);
            AlertDialog.MessageLabel label = (AlertDialog.MessageLabel) dialog.infoLabel;
            AlertDialog.MessageLabel.Lines written = label.written();
            FontMetrics fm = label.getFontMetrics(written.font);
            assertTrue(written.font.getSize() >= AlertDialog.MessageLabel.LEAST_SIZE, message);
            assertEquals(message, String.join(" ", written.lines), "the lines hold the whole message");
            assertTrue(written.lines.size() * fm.getHeight() <= label.getHeight(), message);
            int widest = 0;
            for (String line : written.lines) {
                widest = Math.max(widest, fm.stringWidth(line));
            }
            assertTrue(widest <= label.getWidth() - 2 * AlertDialog.MessageLabel.PAD, message);

            Rectangle seen = null;
            long deadline = System.currentTimeMillis() + GIVE_UP_MS;
            do {
                robot.waitForIdle();
                if (label.isShowing()) {
                    seen = ink(robot.createScreenCapture(new Rectangle(label.getLocationOnScreen(), label.getSize())));
                }
            } while ((seen == null || seen.width < widest - 6 || seen.width > widest + 2)
                && System.currentTimeMillis() < deadline);
            assertTrue(seen != null, "nothing written for " + message);
            assertTrue(seen.x > 0 && seen.x + seen.width < label.getWidth(),
                "writing runs to the edge of the box, " + seen + ", for " + message);
            assertTrue(seen.width >= widest - 6 && seen.width <= widest + 2,
                "on the screen " + seen.width + " pixels wide, measured " + widest + ", for " + message);
            dialog.dispose();
        }
        dialog = null;
    }

    /** A message no size can hold is cut at a word with an ellipsis, never outside the box. */
    @Test
    void aMessageTooLongForAnySizeEndsInAnEllipsis() throws Exception {
        dialog = new AlertDialog(owner);
        dialog.setAlertMessage(String.join(" ", Collections.nCopies(60, "tinsel")));
        AlertDialog.MessageLabel.Lines written = ((AlertDialog.MessageLabel) dialog.infoLabel).written();
        FontMetrics fm = dialog.infoLabel.getFontMetrics(written.font);
        assertEquals(AlertDialog.MessageLabel.LEAST_SIZE, written.font.getSize());
        assertTrue(written.lines.get(written.lines.size() - 1).endsWith("\u2026"));
        assertTrue(written.lines.size() * fm.getHeight() <= 48);
        for (String line : written.lines) {
            assertTrue(fm.stringWidth(line) <= 192 - 2 * AlertDialog.MessageLabel.PAD, line);
        }
    }

    @Test
    void closingEventsOfOtherSourcesAreIgnored() throws Exception {
        dialog = new AlertDialog(owner);
        dialog.setVisible(true);
        settle();
        dialog.dispatchEvent(new WindowEvent(owner, WindowEvent.WINDOW_CLOSING));
        assertTrue(dialog.isVisible());
        dialog.exitButton.dispatchEvent(new java.awt.event.ActionEvent(dialog.exitButton,
            java.awt.event.ActionEvent.ACTION_PERFORMED, "OK"));
        settle();
        assertFalse(dialog.isVisible());
    }
}
