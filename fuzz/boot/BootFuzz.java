import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.Set;
import java.util.TreeMap;
import java.util.stream.Stream;
import java.util.zip.Deflater;
import java.util.zip.GZIPInputStream;
import java.util.zip.GZIPOutputStream;

/**
 * Feeds mutated packed executables to the boot stage's real reading and
 * unpacking code (record scan, configuration, version check, decompression,
 * archive parser and file writers), one workspace per run inside a sandbox
 * folder, and stops at the first run that
 *   - throws anything out of the boot stage,
 *   - ends in a result code that unpacking does not give,
 *   - leaves anything in the sandbox outside its workspace, or
 *   - takes longer than a bound.
 * Usage: BootFuzz [--runs n | --seconds s] [--seed n] [--artifacts dir] seed-folder...
 * Seeds are packed executables (the launcher image may be cut off: the
 * records alone are enough).
 */
public final class BootFuzz {
    private static final int ENTRY_TAG = 0xEADC12F0;
    /** The codes unpacking gives; 10034 (a full disk) must not occur on a disk with room. */
    private static final Set<Integer> ALLOWED = Set.of(0, 10011, 10012, 10030, 10031, 10033, 10333);
    private static final long HANG_MILLIS = 20_000;

    private final Random random;
    private final Path sandbox;
    private final Path workspace;
    private final Path exeFile;
    private final List<Seed> seeds = new ArrayList<>();
    private final Map<Integer, Long> codes = new TreeMap<>();
    private volatile long started;
    private volatile boolean running;

    /** One record of an executable. */
    private static final class Record {
        char type;
        byte[] data;

        Record(char type, byte[] data) {
            this.type = type;
            this.data = data;
        }
    }

    /** One archive entry, with every field open to change. */
    private static final class Entry {
        int tag = ENTRY_TAG;
        byte[] name;
        int nameLength;  // written as one byte
        byte[] content;
        long size;  // written as four bytes

        Entry(byte[] name, byte[] content) {
            this.name = name;
            this.nameLength = name.length;
            this.content = content;
            this.size = content.length;
        }

        Entry copy() {
            Entry e = new Entry(name.clone(), content.clone());
            e.tag = tag;
            e.nameLength = nameLength;
            e.size = size;
            return e;
        }
    }

    /** A seed executable taken apart. */
    private static final class Seed {
        String origin;
        byte[] image;  // bytes before the first record
        List<Record> records = new ArrayList<>();
        List<Entry> entries;  // of the first Z record, when it unpacks
        byte[] bytes;  // the seed as it is
    }

    private BootFuzz(long seed, Path sandbox) {
        this.random = new Random(seed);
        this.sandbox = sandbox;
        this.workspace = sandbox.resolve("ws");
        this.exeFile = sandbox.resolve("app.exe");
    }

    public static void main(String[] args) throws Exception {
        long runs = Long.MAX_VALUE;
        long seconds = Long.MAX_VALUE / 1000;
        long seed = System.nanoTime();
        Path artifacts = Paths.get(".");
        List<Path> folders = new ArrayList<>();
        for (int i = 0; i < args.length; i++) {
            switch (args[i]) {
                case "--runs": runs = Long.parseLong(args[++i]); break;
                case "--seconds": seconds = Long.parseLong(args[++i]); break;
                case "--seed": seed = Long.parseLong(args[++i]); break;
                case "--artifacts": artifacts = Paths.get(args[++i]); break;
                default: folders.add(Paths.get(args[i]));
            }
        }
        Path base = Files.isDirectory(Paths.get("/dev/shm")) && Files.isWritable(Paths.get("/dev/shm"))
                ? Paths.get("/dev/shm") : Paths.get(System.getProperty("java.io.tmpdir"));
        Path sandbox = Files.createTempDirectory(base, "bootfuzz");
        // A run stopped from outside (a test's time limit) leaves nothing either.
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            try {
                deleteTree(sandbox);
            } catch (IOException | RuntimeException e) {
                // Already gone, or being removed by main.
            }
        }));
        int status = 2;
        try {
            BootFuzz fuzz = new BootFuzz(seed, sandbox);
            for (Path folder : folders) {
                fuzz.loadSeeds(folder);
            }
            if (fuzz.seeds.isEmpty()) {
                System.err.println("BootFuzz: no seed executables in " + folders);
            } else {
                System.out.println("BootFuzz: seed " + seed + ", " + fuzz.seeds.size() + " seed executables, sandbox "
                        + sandbox);
                status = fuzz.run(runs, seconds * 1000, artifacts);
            }
        } finally {
            deleteTree(sandbox);
        }
        System.exit(status);
    }

    private void loadSeeds(Path folder) throws IOException {
        try (Stream<Path> files = Files.list(folder)) {
            for (Path f : (Iterable<Path>) files.sorted()::iterator) {
                if (Files.isRegularFile(f)) {
                    seeds.add(takeApart(f.toString(), Files.readAllBytes(f)));
                }
            }
        }
    }

    private static Seed takeApart(String origin, byte[] bytes) {
        Seed s = new Seed();
        s.origin = origin;
        s.bytes = bytes;
        int first = -1;
        for (int p = 0; p + 20 <= bytes.length; p += 16) {
            if (!isHeader(bytes, p)) {
                continue;
            }
            long length = number(bytes, p + 16) & 0xFFFFFFFFL;
            if (p + 20 + length > bytes.length) {
                continue;
            }
            if (first < 0) {
                first = p;
            }
            s.records.add(new Record((char) (bytes[p + 15] & 0xFF),
                    Arrays.copyOfRange(bytes, p + 20, p + 20 + (int) length)));
            p += 20 + (int) length - 16;
            p -= p % 16;
        }
        s.image = Arrays.copyOf(bytes, first < 0 ? bytes.length : first);
        for (Record r : s.records) {
            if (r.type == 'Z' && r.data.length > 4) {
                s.entries = entries(gunzip(r.data, 4));
                break;
            }
        }
        return s;
    }

    private static boolean isHeader(byte[] b, int p) {
        for (int k = 0; k < 15; k++) {
            if (b[p + k] != (byte) (74 + 3 * k / 2)) {
                return false;
            }
        }
        return true;
    }

    private static int number(byte[] b, int p) {
        return (b[p] & 0xFF) | (b[p + 1] & 0xFF) << 8 | (b[p + 2] & 0xFF) << 16 | (b[p + 3] & 0xFF) << 24;
    }

    private static byte[] gunzip(byte[] data, int offset) {
        try (InputStream in = new GZIPInputStream(new ByteArrayInputStream(data, offset, data.length - offset))) {
            return in.readAllBytes();
        } catch (IOException e) {
            return null;
        }
    }

    /** The entries of a well-formed body, or null. */
    private static List<Entry> entries(byte[] body) {
        if (body == null) {
            return null;
        }
        List<Entry> out = new ArrayList<>();
        int p = 0;
        while (p < body.length) {
            if (body.length - p < 10 || number(body, p) != ENTRY_TAG) {
                return null;
            }
            int n = body[p + 4] & 0x7F;
            int size = number(body, p + 6 + n);
            if (size < 0 || body.length - p - 10 - n < size) {
                return null;
            }
            out.add(new Entry(Arrays.copyOfRange(body, p + 5, p + 5 + n),
                    Arrays.copyOfRange(body, p + 10 + n, p + 10 + n + size)));
            p += 10 + n + size;
        }
        return out;
    }

    // ---- mutation ----

    /** Names that try to leave the workspace or take the place of the boot stage's own files. */
    private byte[] badName() {
        String abs = sandbox.resolve("abs" + random.nextInt(4)).toString();
        String[] names = {
            "..\\escape", "..", "a\\..\\..\\escape", "a/../../escape", "..\\..\\escape", ".\\..\\escape",
            abs, abs.replace('/', '\\'), "/" + abs, "C:\\escape", "c:escape", "\\\\server\\share\\escape",
            "Jz.Ky.Tx", "jz.ky.tx\\inside", "quillpodboot.result", "QUILLPODBOOT.CLASS", ".\\Jz.Ky.Tx",
            "", ".", "a\\.\\b", "x\\", "a\\\\b", "a//b", "nul\0byte", "..." , "...\\x",
        };
        int pick = random.nextInt(names.length + 3);
        if (pick < names.length) {
            return names[pick].getBytes(StandardCharsets.ISO_8859_1);
        }
        byte[] name = new byte[pick == names.length ? 127 : 1 + random.nextInt(127)];
        for (int i = 0; i < name.length; i++) {
            if (pick == names.length) {
                name[i] = (byte) ('a' + i % 26);
            } else if (pick == names.length + 1) {
                name[i] = (byte) (0x80 + random.nextInt(128));  // non-ASCII
            } else {
                name[i] = (byte) random.nextInt(256);
            }
        }
        return name;
    }

    private long oddSize(long size) {
        long[] sizes = {0, 1, size - 1, size + 1, 0x7FFFFFFFL, 0x80000000L, 0xFFFFFFFFL, 0xFFFFFFF0L,
            random.nextInt(1 << 20), random.nextLong() & 0xFFFFFFFFL};
        return sizes[random.nextInt(sizes.length)] & 0xFFFFFFFFL;
    }

    private void mutateEntries(List<Entry> entries) {
        if (entries.isEmpty()) {
            entries.add(new Entry(badName(), new byte[random.nextInt(64)]));
            return;
        }
        Entry e = entries.get(random.nextInt(entries.size()));
        switch (random.nextInt(9)) {
            case 0:
            case 1:
                e.name = badName();
                e.nameLength = e.name.length;
                break;
            case 2: {
                Entry twin = e.copy();
                if (random.nextBoolean()) {
                    twin.name = new String(twin.name, StandardCharsets.ISO_8859_1).toUpperCase()
                            .getBytes(StandardCharsets.ISO_8859_1);
                }
                entries.add(random.nextInt(entries.size() + 1), twin);
                break;
            }
            case 3:
                e.size = oddSize(e.content.length);
                break;
            case 4:
                e.nameLength = random.nextBoolean() ? 128 + random.nextInt(128) : random.nextInt(256);
                break;
            case 5:
                e.tag = random.nextBoolean() ? random.nextInt() : ENTRY_TAG ^ (1 << random.nextInt(32));
                break;
            case 6:
                entries.remove(e);
                break;
            case 7:
                e.content = Arrays.copyOf(e.content, random.nextInt(e.content.length + 16));
                e.size = e.content.length;
                break;
            default: {
                byte[] longName = new byte[128 + random.nextInt(200)];
                Arrays.fill(longName, (byte) 'n');
                e.name = longName;
                e.nameLength = longName.length;  // the length byte wraps
            }
        }
    }

    private static byte[] body(List<Entry> entries) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        for (Entry e : entries) {
            putInt(out, e.tag);
            out.write(e.nameLength);
            out.write(e.name, 0, e.name.length);
            out.write(0);
            putInt(out, (int) e.size);
            out.write(e.content, 0, e.content.length);
        }
        return out.toByteArray();
    }

    private static void putInt(ByteArrayOutputStream out, int v) {
        for (int i = 0; i < 4; i++) {
            out.write(v >>> (8 * i));
        }
    }

    private static byte[] gzip(byte[] data) {
        try {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            GZIPOutputStream gz = new GZIPOutputStream(out) {
                {
                    def.setLevel(Deflater.BEST_SPEED);
                }
            };
            gz.write(data);
            gz.close();
            return out.toByteArray();
        } catch (IOException e) {
            throw new IllegalStateException(e);
        }
    }

    private byte[] configText() {
        String[] minvers = {"1.1", "", "99", "1.0", "0", "abc", "1..2", ".", "99999999999999999999", "1.8.0_1",
            "\r", "17.0.99"};
        StringBuilder text = new StringBuilder();
        text.append("main=").append(random.nextBoolean() ? "app.Main" : "").append('\n');
        if (random.nextBoolean()) {
            text.append("minver=").append(minvers[random.nextInt(minvers.length)]).append(random.nextBoolean() ? "\n" : "");
        }
        if (random.nextBoolean()) {
            text.append("=lead\nnoequals\n\n\na=b=c\r\n");
        }
        byte[] t = text.toString().getBytes(StandardCharsets.ISO_8859_1);
        return random.nextBoolean() ? Arrays.copyOf(t, t.length + 1) : t;
    }

    private byte[] mutate(Seed seed) {
        List<Record> records = new ArrayList<>();
        for (Record r : seed.records) {
            records.add(new Record(r.type, r.data));
        }
        List<Entry> entries = null;
        if (seed.entries != null && random.nextInt(3) > 0) {
            entries = new ArrayList<>();
            for (Entry e : seed.entries) {
                entries.add(e.copy());
            }
            int changes = 1 + random.nextInt(3);
            for (int i = 0; i < changes; i++) {
                mutateEntries(entries);
            }
        }
        boolean recordsChanged = entries != null;
        int recordChanges = random.nextInt(4) == 0 ? 1 + random.nextInt(2) : 0;
        for (int i = 0; i < recordChanges && !records.isEmpty(); i++) {
            recordsChanged = true;
            int at = random.nextInt(records.size());
            Record r = records.get(at);
            switch (random.nextInt(6)) {
                case 0:
                    records.remove(at);
                    break;
                case 1:
                    records.add(random.nextInt(records.size() + 1), new Record(r.type, r.data.clone()));
                    break;
                case 2:
                    records.set(at, new Record('V', configText()));
                    break;
                case 3:
                    if (r.type == 'Z' && r.data.length >= 4) {  // the size prefix
                        byte[] d = r.data.clone();
                        int size = (int) oddSize(number(d, 0) & 0xFFFFFFFFL);
                        for (int k = 0; k < 4; k++) {
                            d[k] = (byte) (size >>> (8 * k));
                        }
                        records.set(at, new Record('Z', d));
                    }
                    break;
                case 4:
                    records.set(at, new Record(r.type, Arrays.copyOf(r.data, random.nextInt(r.data.length + 1))));
                    break;
                default:
                    records.set(at, new Record("BVZ\0".charAt(random.nextInt(4)), r.data));
            }
        }
        byte[] exe;
        if (!recordsChanged && random.nextBoolean()) {
            exe = seed.bytes.clone();
        } else {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            out.write(seed.image, 0, seed.image.length);
            boolean zDone = false;
            for (Record r : records) {
                byte[] data = r.data;
                if (r.type == 'Z' && entries != null && !zDone) {
                    byte[] b = body(entries);
                    ByteArrayOutputStream z = new ByteArrayOutputStream();
                    putInt(z, random.nextInt(8) == 0 ? (int) oddSize(b.length) : b.length);
                    byte[] gz = gzip(b);
                    z.write(gz, 0, gz.length);
                    data = z.toByteArray();
                    zDone = true;
                }
                while (out.size() % 16 != 0) {
                    out.write(0xFF);
                }
                for (int k = 0; k < 15; k++) {
                    out.write(74 + 3 * k / 2);
                }
                out.write(r.type);
                putInt(out, random.nextInt(12) == 0 ? (int) oddSize(data.length) : data.length);
                out.write(data, 0, data.length);
            }
            exe = out.toByteArray();
        }
        // Byte-level damage: truncation, flips, shifts off the grid, a tail.
        int damage = random.nextInt(4) == 0 ? 1 + random.nextInt(3) : 0;
        for (int i = 0; i < damage && exe.length > 0; i++) {
            switch (random.nextInt(5)) {
                case 0:  // mostly inside the archive, where a cut shows most
                    exe = Arrays.copyOf(exe, exe.length - random.nextInt(Math.min(exe.length, 400) + 1));
                    break;
                case 1:
                    if (exe.length > 0) {
                        exe[random.nextInt(exe.length)] ^= (byte) (1 << random.nextInt(8));
                    }
                    break;
                case 2: {
                    int cut = random.nextInt(exe.length + 1);
                    int shift = 1 + random.nextInt(15);
                    byte[] shifted = new byte[exe.length + shift];
                    System.arraycopy(exe, 0, shifted, 0, cut);
                    System.arraycopy(exe, cut, shifted, cut + shift, exe.length - cut);
                    exe = shifted;
                    break;
                }
                case 3:
                    exe = Arrays.copyOf(exe, exe.length + random.nextInt(4096));
                    break;
                default:
                    if (exe.length > 0) {
                        exe[random.nextInt(exe.length)] = (byte) random.nextInt(256);
                    }
            }
        }
        return exe;
    }

    // ---- running ----

    private int run(long runs, long millis, Path artifacts) throws Exception {
        PrintStream report = System.out;
        PrintStream quiet = new PrintStream(OutputStream.nullOutputStream());
        Thread watchdog = new Thread(() -> {
            while (true) {
                try {
                    Thread.sleep(1000);
                } catch (InterruptedException e) {
                    return;
                }
                if (running && System.currentTimeMillis() - started > HANG_MILLIS) {
                    report.println("BootFuzz: a run took longer than " + HANG_MILLIS + " ms; its input is "
                            + exeFile);
                    Runtime.getRuntime().halt(1);
                }
            }
        });
        watchdog.setDaemon(true);
        watchdog.start();

        long begin = System.currentTimeMillis();
        long done = 0;
        String failure = null;
        byte[] exe = null;
        while (done < runs && System.currentTimeMillis() - begin < millis) {
            Seed seed = seeds.get(random.nextInt(seeds.size()));
            exe = random.nextInt(50) == 0 ? seed.bytes : mutate(seed);
            Files.createDirectories(workspace);
            Files.write(exeFile, exe);
            System.setOut(quiet);
            System.setErr(quiet);
            started = System.currentTimeMillis();
            running = true;
            int code;
            try {
                code = new quillpodboot().unpack(exeFile.toString(), workspace.toString());
            } catch (Throwable t) {
                code = -1;
                failure = "threw " + t;
            } finally {
                running = false;
                System.setOut(report);
                System.setErr(report);
            }
            done++;
            codes.merge(code, 1L, Long::sum);
            if (failure == null && !ALLOWED.contains(code)) {
                failure = "result code " + code + " is not one that unpacking gives";
            }
            if (failure == null) {
                failure = strays();
            }
            if (failure != null) {
                break;
            }
            emptyWorkspace();
            if (done % 100_000 == 0) {
                report.println("BootFuzz: " + done + " runs, " + rate(done, begin) + " runs/s, codes " + codes);
            }
        }
        report.println("BootFuzz: " + done + " runs in " + (System.currentTimeMillis() - begin) / 1000 + " s ("
                + rate(done, begin) + " runs/s), result codes " + codes);
        if (failure != null) {
            Files.createDirectories(artifacts);
            Path saved = artifacts.resolve("bootfuzz-failure-" + System.currentTimeMillis() + ".exe");
            Files.write(saved, exe);
            report.println("BootFuzz: FAILED after " + done + " runs: " + failure + "; input saved as " + saved);
            return 1;
        }
        return 0;
    }

    private static long rate(long done, long begin) {
        return done * 1000 / Math.max(1, System.currentTimeMillis() - begin);
    }

    /** What the run left in the sandbox outside its workspace, or null. */
    private String strays() throws IOException {
        try (Stream<Path> s = Files.list(sandbox)) {
            for (Path p : (Iterable<Path>) s::iterator) {
                if (!p.equals(workspace) && !p.equals(exeFile)) {
                    return "wrote outside the workspace: " + p;
                }
            }
        }
        return null;
    }

    private void emptyWorkspace() throws IOException {
        try (Stream<Path> s = Files.walk(workspace)) {
            for (Path p : (Iterable<Path>) s.sorted(Comparator.reverseOrder())::iterator) {
                if (!p.equals(workspace)) {
                    Files.delete(p);
                }
            }
        }
    }

    private static void deleteTree(Path root) throws IOException {
        if (!Files.exists(root)) {
            return;
        }
        try (Stream<Path> s = Files.walk(root)) {
            for (Path p : (Iterable<Path>) s.sorted(Comparator.reverseOrder())::iterator) {
                File f = p.toFile();
                f.setWritable(true);
                Files.delete(p);
            }
        }
    }
}
