package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Component;
import java.awt.TextField;
import java.awt.event.KeyEvent;
import java.awt.event.KeyListener;
import java.awt.event.MouseEvent;
import java.awt.event.WindowEvent;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

class InputTest {

    /** A game that records how it would end and which pages it would open, instead of doing it. */
    static final class Recorded extends HollyBlitz {
        private static final long serialVersionUID = 1L;
        final List<String> events = new ArrayList<String>();

        Recorded() {
            pageOpener = new PageOpener() {
                @Override
                void open(String address) {
                    events.add("open " + address);
                }
            };
        }

        @Override
        public void destroy() {
            events.add("destroy");
        }

        @Override
        void endProgram() {
            events.add("exit");
        }
    }

    private final Recorded game = TestWorld.prepare(new Recorded());
    private final HollyBlitzKeyListener keys = new HollyBlitzKeyListener(game);
    private final HollyBlitzMouseListener mouse = new HollyBlitzMouseListener(game);

    private void press(int code) {
        keys.keyPressed(new KeyEvent(game, KeyEvent.KEY_PRESSED, 0L, 0, code, KeyEvent.CHAR_UNDEFINED));
    }

    private void release(int code) {
        keys.keyReleased(new KeyEvent(game, KeyEvent.KEY_RELEASED, 0L, 0, code, KeyEvent.CHAR_UNDEFINED));
    }

    /** A press at a play-area position, as the window reports it (22 rows lower). */
    private void click(int x, int y) {
        mouse.mousePressed(new MouseEvent(game, MouseEvent.MOUSE_PRESSED, 0L, 0, x, y + HollyBlitz.INSET, 1, false,
            MouseEvent.BUTTON1));
    }

    private static final int ESC = KeyEvent.VK_ESCAPE;

    @ParameterizedTest(name = "state {0}, key {1}: state {2}")
    @CsvSource({
        // S starts a game from the front screen only.
        "4, 83, 0", "0, 83, 0", "1, 83, 1", "3, 83, 3", "7, 83, 7",
        // Escape pauses and resumes, and does nothing elsewhere.
        "0, 27, 1", "1, 27, 0", "3, 27, 3", "4, 27, 4", "7, 27, 7",
        // Q ends a paused game and leaves the end-game panel; during play it does nothing.
        "0, 81, 0", "1, 81, 3", "3, 81, 5", "4, 81, 4", "7, 81, 7",
        // On the first back screen any key moves on, and acts no further there.
        "5, 65, 6", "5, 81, 6", "5, 83, 6", "5, 27, 6",
        "4, 65, 4", "0, 65, 0",
    })
    void keysMoveThroughTheStates(int state, int key, int after) {
        game.gameState = state;
        press(key);
        assertEquals(after, game.gameState);
        assertEquals(key == KeyEvent.VK_S && state == HollyBlitz.FRONTSCREEN, game.gun != null);
        assertTrue(game.events.isEmpty());
    }

    @ParameterizedTest(name = "key {0}")
    @ValueSource(ints = {KeyEvent.VK_A, KeyEvent.VK_ESCAPE, KeyEvent.VK_SPACE, KeyEvent.VK_Q})
    void anyKeyOnTheSecondBackScreenEndsTheProgram(int key) {
        game.gameState = HollyBlitz.BACKSCREEN2;
        press(key);
        assertEquals(Arrays.asList("destroy", "exit"), game.events);
        assertFalse(game.spaceBar);
    }

    @Test
    void everyEscapePressTogglesThePauseAutoRepeatsIncluded() {
        game.startGame();
        List<Integer> states = new ArrayList<Integer>();
        for (int i = 0; i < 5; i++) {
            press(ESC);
            states.add(game.gameState);
        }
        release(ESC);
        assertEquals(Arrays.asList(1, 0, 1, 0, 1), states);
    }

    @Test
    void heldKeysAreFlagsInEveryStateAndActAsSoonAsAGameStarts() {
        game.gameState = HollyBlitz.FRONTSCREEN;
        press(KeyEvent.VK_LEFT);
        press(KeyEvent.VK_SPACE);
        press(KeyEvent.VK_S);
        assertTrue(game.arrowLeft);
        game.doMain();
        assertEquals(356, game.gun.heading);
        assertEquals(1, game.shells.size());

        press(KeyEvent.VK_RIGHT);
        assertTrue(game.arrowRight);
        release(KeyEvent.VK_LEFT);
        release(KeyEvent.VK_SPACE);
        assertFalse(game.arrowLeft);
        assertFalse(game.spaceBar);
        game.doMain();
        assertEquals(360, game.gun.heading);

        // A paused game keeps its flags but neither turns nor fires.
        press(ESC);
        press(KeyEvent.VK_SPACE);
        game.doMain();
        game.doMain();
        game.doMain();
        assertEquals(360, game.gun.heading);
        assertEquals(1, game.shells.size());
        release(KeyEvent.VK_RIGHT);
        assertFalse(game.arrowRight);
    }

    /** A button with the state it is pressed in, the state it leads to, and what else happens. */
    private static final Object[][] BUTTONS = {
        {ButtonRect.PLAY, HollyBlitz.FRONTSCREEN, HollyBlitz.PLAYING, ""},
        {ButtonRect.TALLOWFEN_FRONT, HollyBlitz.FRONTSCREEN, HollyBlitz.FRONTSCREEN, "open " + HollyBlitz.homePage},
        {ButtonRect.REPLAY, HollyBlitz.POSTGAME, HollyBlitz.PLAYING, ""},
        {ButtonRect.SCORE, HollyBlitz.POSTGAME, HollyBlitz.SUBMITSCORE, ""},
        {ButtonRect.EXIT, HollyBlitz.POSTGAME, HollyBlitz.BACKSCREEN1, ""},
        {ButtonRect.HIGHSCORE_B, HollyBlitz.POSTGAME, HollyBlitz.POSTGAME, "open " + HollyBlitz.highscorePage},
        {ButtonRect.THRONEWARD, HollyBlitz.BACKSCREEN1, HollyBlitz.BACKSCREEN1, "open " + HollyBlitz.partnerPage},
        {ButtonRect.JAVA, HollyBlitz.BACKSCREEN2, HollyBlitz.BACKSCREEN2, "open " + HollyBlitz.webGamesPage},
        {ButtonRect.TALLOWFEN_BACK_B, HollyBlitz.BACKSCREEN2, HollyBlitz.BACKSCREEN2, "open " + HollyBlitz.homePage},
        {ButtonRect.CANCEL, HollyBlitz.SUBMITSCORE, HollyBlitz.POSTGAME, ""},
        {ButtonRect.HIGHSCORE_A, HollyBlitz.SUBMITSCORE, HollyBlitz.SUBMITSCORE, "open " + HollyBlitz.highscorePage},
    };

    /** What a press on an empty place of each screen does. */
    private static String missOn(int state) {
        return state == HollyBlitz.BACKSCREEN1 ? "state " + HollyBlitz.BACKSCREEN2
            : state == HollyBlitz.BACKSCREEN2 ? "exit" : "state " + state;
    }

    private String pressOn(int state, int x, int y) {
        Recorded g = TestWorld.prepare(new Recorded());
        g.score = 5;
        g.gameState = state;
        new HollyBlitzMouseListener(g).mousePressed(new MouseEvent(g, MouseEvent.MOUSE_PRESSED, 0L, 0,
            x, y + HollyBlitz.INSET, 1, false, MouseEvent.BUTTON3));
        List<String> out = new ArrayList<String>(g.events);
        if (!out.contains("exit")) {
            out.add("state " + g.gameState);
        }
        return String.join(", ", out);
    }

    @Test
    void eachButtonActsOnItsEdgesAndNotOnePixelOutside() {
        for (Object[] b : BUTTONS) {
            ButtonRect r = (ButtonRect) b[0];
            int state = (Integer) b[1];
            String hit = (b[3].equals("") ? "" : b[3] + ", ") + "state " + b[2];
            int[][] corners = {{r.left, r.top}, {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom}};
            for (int[] p : corners) {
                assertEquals(hit, pressOn(state, p[0], p[1]), "corner " + Arrays.toString(p) + " of " + hit);
            }
            int midX = (r.left + r.right) / 2;
            int midY = (r.top + r.bottom) / 2;
            int[][] outside = {{r.left - 1, midY}, {r.right + 1, midY}, {midX, r.top - 1}, {midX, r.bottom + 1}};
            for (int[] p : outside) {
                assertEquals(missOn(state), pressOn(state, p[0], p[1]), "outside at " + Arrays.toString(p) + " of " + hit);
            }
        }
    }

    @Test
    void theButtonsOfOneScreenNeverOverlap() {
        for (int i = 0; i < BUTTONS.length; i++) {
            for (int j = i + 1; j < BUTTONS.length; j++) {
                if (BUTTONS[i][1].equals(BUTTONS[j][1])) {
                    assertFalse(((ButtonRect) BUTTONS[i][0]).overlaps((ButtonRect) BUTTONS[j][0]), i + " and " + j);
                }
            }
        }
        assertFalse(ButtonRect.SUBMIT.overlaps(ButtonRect.CANCEL));
        assertFalse(ButtonRect.SUBMIT.overlaps(ButtonRect.HIGHSCORE_A));
    }

    @ParameterizedTest(name = "state {0}")
    @ValueSource(ints = {0, 1, 2, 8})
    void pressesDoNothingDuringPlayOrBeforeTheFrontScreen(int state) {
        game.gameState = state;
        click(500, 80);
        click(100, 400);
        assertEquals(state, game.gameState);
        assertNull(game.gun);
        assertTrue(game.events.isEmpty());
    }

    @Test
    void aGameWithoutPointsCannotBeReported() {
        game.gameState = HollyBlitz.POSTGAME;
        game.score = 0;
        click(300, 90);
        assertEquals(HollyBlitz.POSTGAME, game.gameState);
        game.score = 1;
        click(300, 90);
        assertEquals(HollyBlitz.SUBMITSCORE, game.gameState);
    }

    @Test
    void aPageThatCannotBeOpenedIsReportedAndTheScreenStays() throws Exception {
        game.pageOpener = new PageOpener() {
            @Override
            void open(String address) throws IOException {
                throw new IOException("Cannot run program \"xdg-open\": error=2, No such file or directory");
            }
        };
        game.gameState = HollyBlitz.BACKSCREEN1;
        PrintStream saved = System.err;
        ByteArrayOutputStream err = new ByteArrayOutputStream();
        System.setErr(new PrintStream(err, true, "UTF-8"));
        try {
            click(400, 400);
        } finally {
            System.setErr(saved);
        }
        assertEquals(HollyBlitz.BACKSCREEN1, game.gameState);
        assertEquals("Could not open " + HollyBlitz.partnerPage
            + ": Cannot run program \"xdg-open\": error=2, No such file or directory" + System.lineSeparator(),
            err.toString("UTF-8"));
        click(10, 10);
        assertEquals(HollyBlitz.BACKSCREEN2, game.gameState);
    }

    @ParameterizedTest(name = "{0}")
    @CsvSource({
        "Linux, xdg-open",
        "FreeBSD, xdg-open",
        "Windows 10, 'rundll32 url.dll,FileProtocolHandler'",
        "Mac OS X, open",
    })
    void pagesOpenWithTheDesktopsOwnOpener(String os, String opener) {
        List<String> expected = new ArrayList<String>(Arrays.asList(opener.split(" ")));
        expected.add("http://localhost:8080/");
        assertEquals(expected, PageOpener.command(os, "http://localhost:8080/"));
    }

    @ParameterizedTest(name = "state {0}")
    @ValueSource(ints = {0, 1, 2, 3, 4, 5, 6, 7, 8})
    void closingTheWindowEndsTheProgramInEveryState(int state) {
        game.gameState = state;
        new HollyBlitzWindowListener(game).windowClosing(new WindowEvent(game, WindowEvent.WINDOW_CLOSING));
        assertEquals(Arrays.asList("exit"), game.events);
    }

    @Test
    void keysReachTheGameWhicheverOfItsComponentsHoldsTheFocus() {
        WindowWiring.addListeners(game);
        TextField later = new TextField();
        game.add(later);
        game.gameState = HollyBlitz.FRONTSCREEN;
        for (Component c : new Component[] {game, game.playfield, later}) {
            KeyListener[] listeners = c.getKeyListeners();
            assertEquals(1, listeners.length, c.getClass().getSimpleName());
            assertTrue(listeners[0] instanceof HollyBlitzKeyListener);
        }
        game.playfield.getKeyListeners()[0].keyPressed(
            new KeyEvent(game.playfield, KeyEvent.KEY_PRESSED, 0L, 0, KeyEvent.VK_S, 's'));
        assertEquals(HollyBlitz.PLAYING, game.gameState);
        assertNotNull(game.gun);
        assertEquals(1, game.getMouseListeners().length);
        assertTrue(game.playfield.isFocusable());
    }
}
