import static org.junit.jupiter.api.Assertions.assertAll;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import bootapp.BadInit;
import bootapp.Child;
import bootapp.Echo;
import bootapp.NeedsHelper;
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
        byte[] future = BootFixture.classBytes(Echo.class);
        future[6] = 0;
        future[7] = (byte) 100;  // class-file version 100: Java 56
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
                "main class bootapp.Echo\\r:", NONE),
            new Case("missing class", exe("main=bootapp.Nowhere\n", app(Echo.class)), List.of(), 10024, false,
                "cannot load the main class bootapp.Nowhere: java.lang.ClassNotFoundException", NONE),
            new Case("entry in the marker's place", exe(echo, app(Echo.class).add("jz.ky.TX\\inside", "x")),
                List.of(), 10030, false, "jz.ky.TX\\inside is refused",
                ws -> assertFalse(Files.exists(ws.resolve("jz.ky.TX")))),
            new Case("damaged main class", exe(echo, new BootFixture.Archive().add(BootFixture.className(Echo.class),
                "not a class")), List.of(), 10024, false, "bootapp.Echo: java.lang.ClassFormatError", NONE),
            new Case("main class built for a newer Java", exe(echo, new BootFixture.Archive()
                .add(BootFixture.className(Echo.class), future)), List.of(), 10333, false,
                "the application's class bootapp.Echo needs Java 56 or newer", NONE),
            new Case("unverifiable main class", exe("main=bootapp.Bad\n", new BootFixture.Archive()
                .add("bootapp\\Bad.class", BootFixture.unverifiableClass("bootapp/Bad"))), List.of(), 10024, false,
                "bootapp.Bad: java.lang.VerifyError", NONE),
            new Case("superclass missing", exe("main=bootapp.Child\n", app(Child.class)), List.of(), 10024, false,
                "bootapp.Child: java.lang.NoClassDefFoundError: bootapp/Parent", NONE),
            new Case("class of a method missing", exe("main=bootapp.NeedsHelper\n", app(NeedsHelper.class)),
                List.of(), 10024, false, "bootapp.NeedsHelper: java.lang.NoClassDefFoundError: bootapp/Helper", NONE),
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
            long reasons = run.output().lines().filter(l -> l.startsWith("quillpodboot: error ")).count();
            if (c.code() >= 10000) {
                assertEquals(String.valueOf(c.code()), Files.readString(result, StandardCharsets.US_ASCII), what);
                assertEquals(1, reasons, "one reason line; " + what);
                assertTrue(run.output().contains("quillpodboot: error " + c.code() + ": "), what);
            } else {
                assertTrue(!Files.exists(result) || Files.readString(result).isBlank(), "no result; " + what);
                assertEquals(0, reasons, what);
            }
            assertTrue(run.output().contains(c.outputHas()), what);
            c.check().accept(ws);
        };
    }

    @Test
    void aFailedStaticInitialiserIsReportedOnceWithItsCauses() throws Exception {
        Path ws = Files.createDirectories(tmp.resolve("init/ws"));
        Path exe = Files.write(tmp.resolve("init/app.exe"), exe("main=bootapp.BadInit\n", app(BadInit.class)));
        BootFixture.Run run = BootFixture.boot(ws, List.of(exe.toString()));
        assertEquals(10024 & 0xFF, run.code(), run.output());
        assertTrue(run.output().contains("quillpodboot: error 10024: cannot load the main class bootapp.BadInit: its "
            + "static initialiser failed: java.lang.ExceptionInInitializerError; caused by "
            + "java.lang.IllegalStateException: no display here; caused by java.lang.UnsupportedOperationException: "
            + "headless\n"), run.output());
        assertEquals(1, run.output().split("Caused by: java.lang.IllegalStateException", -1).length - 1,
            "one trace, with the cause; " + run.output());
    }

    @Test
    void aRepeatedRunThatFailsTheSameWayStaysQuiet() throws Exception {
        Path ws = Files.createDirectories(tmp.resolve("repeat/ws"));
        Path exe = Files.write(tmp.resolve("repeat/app.exe"),
            exe("main=bootapp.Nowhere\njars=none.jar\n", app(Echo.class).add("none.jar", "PK")));
        for (int run = 1; run <= 2; run++) {
            BootFixture.Run result = BootFixture.boot(ws, List.of(exe.toString()));
            assertEquals(10024 & 0xFF, result.code(), result.output());
            assertEquals("10024", Files.readString(ws.resolve("quillpodboot.result")), "the launcher still learns why");
            long reasons = result.output().lines().filter(l -> l.startsWith("quillpodboot: error ")).count();
            assertEquals(run == 1 ? 1 : 0, reasons, "run " + run + ": " + result.output());
        }
    }

    @Test
    void aCommandLineToolKeepsItsStandardErrorApart() throws Exception {
        // A windowed program's error output joins its standard output; a
        // command-line tool's, and the boot stage's own lines, stay apart.
        for (boolean console : new boolean[] {true, false}) {
            String config = "main=bootapp.Thrower\n" + (console ? "console=yes\n" : "");
            Path dir = Files.createDirectories(tmp.resolve("console-" + console));
            Path ws = Files.createDirectory(dir.resolve("ws"));
            Path exe = Files.write(dir.resolve("app.exe"), exe(config, app(Thrower.class)));
            BootFixture.ApartRun run = BootFixture.bootApart(ws, List.of(exe.toString()));
            String what = config + " gives output: " + run.output() + "\nerror: " + run.error();
            assertEquals(10021 & 0xFF, run.code(), what);
            String said = console ? run.error() : run.output();
            String silent = console ? run.output() : run.error();
            assertTrue(said.contains("java.lang.IllegalStateException: thrown by the application"), what);
            assertTrue(said.contains("quillpodboot: error 10021: the main method of bootapp.Thrower"), what);
            assertEquals("", silent, what);
        }
    }

    /**
     * Runs the boot stage with its workspace on a tmpfs of the given size,
     * mounted in a mount namespace of its own, so the mount goes when the
     * run ends; returns the run and what the workspace held afterwards.
     */
    private static BootFixture.Run bootOnSmallDisk(Path mountPoint, String size, byte[] exe, Path exeFile)
            throws Exception {
        Files.write(exeFile, exe);
        String script = "m=$1; size=$2; shift 2; mount -t tmpfs -o size=$size tmpfs \"$m\" && mkdir \"$m/ws\" || exit 99;"
            + " \"$@\"; echo \"exit=$?\"; echo \"result=$(cat \"$m/ws/quillpodboot.result\")\";"
            + " echo \"files=$(ls -A \"$m/ws\" | tr '\\n' ' ')\"";
        return BootFixture.boot(mountPoint.resolve("ws"), List.of(exeFile.toString()),
            List.of("unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh", mountPoint.toString(),
                size));
    }

    @Test
    void aFullDiskGivesItsOwnCodeAndLeavesNoMarker() throws Exception {
        Path probe = Files.createDirectory(tmp.resolve("probe"));
        Process p = new ProcessBuilder("unshare", "--mount", "sh", "-c", "mount -t tmpfs -o size=64k tmpfs \"$0\"",
            probe.toString()).redirectErrorStream(true).start();
        p.getInputStream().readAllBytes();
        assumeTrue(p.waitFor() == 0, "needs the right to mount a small tmpfs");

        byte[] echo = BootFixture.classBytes(Echo.class);
        byte[] big = new byte[1536 * 1024];
        new java.util.Random(7).nextBytes(big);
        // 16 pages: the reserved result file and the class take one each, the filler the other 14.
        String[][] cases = {
            {"an entry", "1m", "cannot write the archive entry to "},
            {"the marker", "64k", "cannot write the marker file "},
        };
        for (String[] c : cases) {
            Path mount = Files.createDirectory(tmp.resolve("disk" + c[1]));
            BootFixture.Archive archive = app(Echo.class)
                .add("filler", c[1].equals("1m") ? big : java.util.Arrays.copyOf(big, 14 * 4096));
            BootFixture.Run run = bootOnSmallDisk(mount, c[1], exe("main=bootapp.Echo\n", archive),
                tmp.resolve("app" + c[1] + ".exe"));
            String what = "full disk at " + c[0] + ": " + run.output();
            assertTrue(run.output().contains("exit=" + (10034 & 0xFF) + "\n"), what);
            assertTrue(run.output().contains("result=10034\n"), "the whole code reaches the launcher; " + what);
            assertTrue(run.output().contains("quillpodboot: error 10034: " + c[2]), what);
            assertTrue(run.output().contains(": No space left on device\n"), what);
            String files = run.output().lines().filter(l -> l.startsWith("files=")).findFirst().orElse("");
            assertTrue(files.contains("quillpodboot.result"), what);
            assertFalse(files.contains(MARKER), "no marker, whole or cut short; " + what);
            assertTrue(echo.length < 4096, "the class fits one page");
        }
    }

    @Test
    void aHugeTailAfterTheRecordsIsNeverRead() throws Exception {
        Path ws = Files.createDirectory(tmp.resolve("ws"));
        Path exe = Files.write(tmp.resolve("app.exe"), exe("main=bootapp.Echo\n", app(Echo.class)));
        try (java.io.RandomAccessFile file = new java.io.RandomAccessFile(exe.toFile(), "rw")) {
            file.setLength(file.length() + (4L << 30));  // sparse: costs no disk
        }
        BootFixture.Run run = BootFixture.boot(ws, List.of(exe.toString(), "tail"));
        assertEquals(0, run.code(), run.output());
        assertTrue(run.output().contains("args=1|tail"), run.output());
    }

    @Test
    void missingArgumentsOrWorkspaceGive10010AndAnUnreadableExecutable10011() throws Exception {
        Path ws = Files.createDirectory(tmp.resolve("ws"));
        assertEquals(10010 & 0xFF, BootFixture.boot(ws, List.of()).code());
        assertEquals("10010", Files.readString(ws.resolve("quillpodboot.result")));
        assertEquals(10010 & 0xFF, BootFixture.boot(null, List.of("x")).code());
        Path missing = tmp.resolve("missing.exe");
        BootFixture.Run unreadable = BootFixture.boot(ws, List.of(missing.toString()));
        assertEquals(10011 & 0xFF, unreadable.code());
        assertEquals("10011", Files.readString(ws.resolve("quillpodboot.result")));
        assertTrue(unreadable.output().contains("quillpodboot: error 10011: cannot read the executable " + missing
            + ": No such file or directory"), unreadable.output());
    }
}
