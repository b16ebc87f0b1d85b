import static org.junit.jupiter.api.Assertions.assertAll;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import bootapp.Echo;
import bootapp.NoMain;
import bootapp.NotStatic;
import bootapp.Thrower;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.function.Consumer;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.api.io.TempDir;

/** Every result code through the real main, one child VM per case, two at a time. */
class QuillpodbootMainTest {
    @TempDir
    Path tmp;

    private static final String MARKER = "Jz.Ky.Tx";

    /** One run: how to build the executable, and what to expect after it. */
    private record Case(String name, byte[] exe, List<String> userArgs, int code, boolean marker,
                        String outputHas, Consumer<Path> check) {}

    private static byte[] exe(String config, BootFixture.Archive archive) {
        BootFixture.Exe exe = new BootFixture.Exe(100).record('B', new byte[] {(byte) 0xCA, (byte) 0xFE});
        if (config != null) {
            exe.record('V', BootFixture.config(config));
        }
        if (archive != null) {
            exe.record('Z', archive.record());
        }
        return exe.bytes();
    }

    private static BootFixture.Archive app(Class<?> c) {
        return new BootFixture.Archive().add(BootFixture.className(c), BootFixture.classBytes(c));
    }

    private static final Consumer<Path> NONE = ws -> {};

    @Test
    void everyResultCode() throws Exception {
        String echo = "main=bootapp.Echo\n";
        byte[] corrupt = app(Echo.class).record();
        corrupt[corrupt.length - 20] ^= 0x55;
        List<Case> cases = List.of(
            new Case("started", exe(echo, app(Echo.class).add("data\\note.txt", "hello \u00e9")),
                List.of("two words", "\"quoted\"", "back\\slash", "\u00fcnicode"), 0, true,
                "args=4|two words|\"quoted\"|back\\slash|\u00fcnicode", NONE),
            new Case("no user arguments", exe(echo, app(Echo.class)), List.of(), 0, true, "args=0", NONE),
            new Case("too old", exe(echo + "minver=99.0\n", app(Echo.class)), List.of(), 10333, false, "",
                ws -> assertFalse(Files.exists(ws.resolve("bootapp")), "nothing unpacked")),
            new Case("no Z", exe(echo, null), List.of(), 10012, false, "", NONE),
            new Case("Z of 4 bytes", new BootFixture.Exe(0).record('Z', new byte[4]).bytes(), List.of(), 10012,
                false, "", NONE),
            new Case("refused name", exe(echo, app(Echo.class).add("..\\escape", "x")), List.of(), 10030, false,
                "", ws -> assertFalse(Files.exists(ws.resolveSibling("escape")))),
            new Case("bad tag", exe(echo, app(Echo.class).addTagged(1, new byte[0], new byte[0])), List.of(),
                10031, false, "", NONE),
            new Case("corrupt gzip", new BootFixture.Exe(0).record('V', BootFixture.config(echo))
                .record('Z', corrupt).bytes(), List.of(), 10033, false, "Exception",
                ws -> assertFalse(Files.exists(ws.resolve("bootapp")), "nothing unpacked")),
            new Case("no V, no main", exe(null, app(Echo.class)), List.of(), 10020, false, "",
                ws -> assertTrue(Files.exists(ws.resolve("bootapp/Echo.class")), "still unpacked")),
            new Case("main with CR", exe("main=bootapp.Echo\r\n", app(Echo.class)), List.of(), 10024, false,
                "", NONE),
            new Case("missing class", exe("main=bootapp.Nowhere\n", app(Echo.class)), List.of(), 10024, false,
                "", NONE),
            new Case("marker blocked", exe(echo, app(Echo.class).add(MARKER + "\\inside", "x")), List.of(),
                10013, true /* the directory in its way */, "", NONE),
            new Case("main throws", exe("main=bootapp.Thrower\n", app(Thrower.class)), List.of(), 10021, false,
                "thrown by the application", NONE),
            new Case("no main method", exe("main=bootapp.NoMain\n", app(NoMain.class)), List.of(), 10022,
                false, "NoSuchMethodException", NONE),
            new Case("main not static", exe("main=bootapp.NotStatic\n", app(NotStatic.class)), List.of(),
                10023, false, "Exception", NONE),
            new Case("exit code of the application", exe(echo, app(Echo.class)), List.of("exit", "7"), 7, true,
                "args=2", NONE));

        ExecutorService pool = Executors.newFixedThreadPool(2);
        List<Future<Executable>> results = new ArrayList<>();
        for (Case c : cases) {
            results.add(pool.submit(() -> run(c)));
        }
        pool.shutdown();
        List<Executable> checks = new ArrayList<>();
        for (Future<Executable> f : results) {
            checks.add(f.get());
        }
        assertAll(checks);
    }

    private Executable run(Case c) throws Exception {
        Path dir = Files.createTempDirectory(tmp, "case");
        Path ws = Files.createDirectory(dir.resolve("ws"));
        Path exe = Files.write(dir.resolve("app.exe"), c.exe());
        List<String> args = new ArrayList<>();
        args.add(exe.toString());
        args.addAll(c.userArgs());
        BootFixture.Run run = BootFixture.boot(ws, args);
        return () -> {
            String what = c.name() + ", output: " + run.output();
            assertEquals(c.code() & 0xFF, run.code(), "a POSIX exit status keeps 8 bits; " + what);
            assertEquals(c.marker(), Files.exists(ws.resolve(MARKER)), "marker: " + what);
            Path result = ws.resolve("quillpodboot.result");
            if (c.code() >= 10000) {
                assertEquals(String.valueOf(c.code()), Files.readString(result, StandardCharsets.US_ASCII), what);
            } else {
                assertFalse(Files.exists(result), what);
            }
            assertTrue(run.output().contains(c.outputHas()), what);
            c.check().accept(ws);
        };
    }

    @Test
    void missingArgumentsOrWorkspaceGive10010AndAnUnreadableExecutable10011() throws Exception {
        Path ws = Files.createDirectory(tmp.resolve("ws"));
        assertEquals(10010 & 0xFF, BootFixture.boot(ws, List.of()).code());
        assertEquals("10010", Files.readString(ws.resolve("quillpodboot.result")));
        assertEquals(10010 & 0xFF, BootFixture.boot(null, List.of("x")).code());
        assertEquals(10011 & 0xFF, BootFixture.boot(ws, List.of(tmp.resolve("missing.exe").toString())).code());
        assertEquals("10011", Files.readString(ws.resolve("quillpodboot.result")));
    }
}
