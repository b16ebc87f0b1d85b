package com.tallowfen.hollyblitz;

import java.io.File;
import java.io.IOException;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;

/**
 * Shows a web page in the desktop's browser without waiting for it: the
 * desktop's opener is started on its own and left to run.
 */
class PageOpener {

    /**
     * Shows a page in a new browser window without waiting for it; true when
     * the opener started. When the browser cannot be started, says so on
     * standard error and ends the press that asked for it (PageNotOpened), so
     * the game stays where it was.
     */
    final boolean show(String address) {
        try {
            open(address);
            return true;
        } catch (IOException | RuntimeException e) {
            System.err.println("Could not open " + address + ": " + e.getMessage());
            throw new PageNotOpened(e);
        }
    }

    /** A link button's page could not be shown; the rest of the press is skipped. */
    static final class PageNotOpened extends RuntimeException {
        private static final long serialVersionUID = 1L;

        PageNotOpened(Throwable cause) {
            super(cause);
        }
    }

    /** Starts the opener for the address; an opener that cannot be started is an IOException. */
    void open(String address) throws IOException {
        String os = System.getProperty("os.name", "");
        ProcessBuilder opener = new ProcessBuilder(command(os, address));
        // The browser may outlive the game: it gets none of the game's streams, so nothing that
        // reads the game's output waits for the browser to close.
        File nowhere = new File(os.toLowerCase(Locale.ROOT).startsWith("windows") ? "NUL" : "/dev/null");
        opener.redirectInput(ProcessBuilder.Redirect.from(nowhere));
        opener.redirectOutput(ProcessBuilder.Redirect.appendTo(nowhere));
        opener.redirectError(ProcessBuilder.Redirect.appendTo(nowhere));
        opener.start();
    }

    /** The command that opens an address on a system: the shell's open verb on Windows, xdg-open elsewhere. */
    static List<String> command(String osName, String address) {
        String os = osName.toLowerCase(Locale.ROOT);
        if (os.startsWith("windows")) {
            return Arrays.asList("rundll32", "url.dll,FileProtocolHandler", address);
        }
        if (os.startsWith("mac")) {
            return Arrays.asList("open", address);
        }
        return Arrays.asList("xdg-open", address);
    }
}
