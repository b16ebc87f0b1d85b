import java.io.ByteArrayInputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.RandomAccessFile;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashSet;
import java.util.List;
import java.util.Locale;
import java.util.Properties;
import java.util.Set;
import java.util.StringTokenizer;
import java.util.zip.GZIPInputStream;

/**
 * The first code run in the VM the launcher starts: reads the executable
 * named by the first argument, checks the VM's version, unpacks the file
 * archive into the workspace named by the property quillpod.dir, and calls
 * the application's main with the remaining arguments on this thread.
 * Every failure ends the VM with a result code above 10000, which the
 * launcher reads; the marker file tells it that the application started.
 */
public class quillpodboot implements Runnable {
    static final String MARKER = "Jz.Ky.Tx";
    static final String RESULT = "quillpodboot.result";
    static final int ENTRY_TAG = 0xEADC12F0;
    static final int MARKER_SIZE = 100;

    // Below this many entries a second writer thread costs more than it saves.
    static final int PARALLEL_ENTRIES = 64;
    static int WRITERS = 2;  // not final: the boot benchmark tries other counts

    /** The configuration's key=value pairs. */
    Properties m_vars = new Properties();

    // A writer thread's share of the archive (one class file only, so no nested classes).
    private byte[] w_body;
    private final List<String> w_paths = new ArrayList<String>();
    private final List<Long> w_spans = new ArrayList<Long>();
    private boolean w_ok;

    /** Runs the boot sequence; ends the VM with the result code on failure. */
    public static void main(String[] args) {
        int result = new quillpodboot().go(args);
        if (result != 0) {
            writeResult(System.getProperty("quillpod.dir"), result);
            System.exit(result);
        }
    }

    /** The whole boot sequence; returns 0 once the application's main has returned. */
    int go(String[] args) {
        // Before reading anything, so a VM too old for this class's own code stops here.
        if (!verOK()) {
            return 10333;
        }
        String dir = System.getProperty("quillpod.dir");
        if (args.length == 0 || dir == null) {
            return 10010;
        }
        byte[] exe = readFile(args[0]);
        if (exe == null) {
            return 10011;
        }
        // One scan finds both records; it stops before the archive's own data.
        int[] found = findSections(exe, "VZ");
        if (found[0] >= 0) {
            parseVars(sectionData(exe, found[0]));
        }
        if (!verOK()) {
            return 10333;
        }
        // The launcher has no console of ours to show; it collects one stream.
        System.setErr(System.out);

        int z = found[1];
        int zLength = z < 0 ? 0 : getNumber(exe, z + 16);
        if (z < 0 || zLength <= 4) {
            return 10012;
        }
        int size = getNumber(exe, z + 20);
        byte[] body = uncompress(exe, z + 24, zLength - 4, size);
        exe = null;
        int unpacked = parseFiles(dir, body);
        if (unpacked > 0) {
            return unpacked;
        }
        body = null;

        String mainName = m_vars.getProperty("main");
        if (mainName == null) {
            return 10020;
        }
        Class<?> mainClass;
        try {
            mainClass = Class.forName(mainName);
        } catch (Exception e) {
            return 10024;
        }
        String[] appArgs = new String[args.length - 1];
        System.arraycopy(args, 1, appArgs, 0, appArgs.length);

        String marker = dir + File.separator + MARKER;
        if (!writeFile(marker, new byte[MARKER_SIZE])) {
            return 10013;
        }
        try {
            Method main = mainClass.getMethod("main", String[].class);
            main.invoke(null, new Object[] {appArgs});
            return 0;
        } catch (InvocationTargetException e) {
            e.getTargetException().printStackTrace();
            new File(marker).delete();
            return 10021;
        } catch (NoSuchMethodException e) {
            e.printStackTrace();
            new File(marker).delete();
            return 10022;
        } catch (Exception e) {
            e.printStackTrace();
            new File(marker).delete();
            return 10023;
        }
    }

    /** Stores the configuration text's pairs; later pairs replace earlier ones. */
    void parseVars(byte[] text) {
        StringTokenizer lines = new StringTokenizer(latin1(text, 0, text.length), "\n");
        while (lines.hasMoreTokens()) {
            String line = lines.nextToken();
            int eq = line.indexOf('=');
            if (eq >= 1) {
                m_vars.put(line.substring(0, eq), line.substring(eq + 1));
            }
        }
    }

    /** Whether this VM's version is at least the configured minver ("1.1" unless set). */
    boolean verOK() {
        try {
            return verOK(m_vars.getProperty("minver", "1.1"), System.getProperty("java.version"));
        } catch (Exception e) {
            return false;
        }
    }

    /**
     * Compares dotted versions component by component as numbers (the
     * leading digits of each); a component the actual version lacks counts
     * as 0. Fails for no version, or a compared component without digits.
     */
    static boolean verOK(String required, String actual) {
        if (actual == null) {
            return false;
        }
        List<String> have = components(actual);
        int i = 0;
        for (String need : components(required)) {
            long r = leadingNumber(need);
            long a = i < have.size() ? leadingNumber(have.get(i)) : 0;
            i++;
            if (r < 0 || a < 0 || a < r) {
                return false;
            }
            if (a > r) {
                return true;
            }
        }
        return true;
    }

    /** The non-empty components between dots. */
    private static List<String> components(String version) {
        List<String> out = new ArrayList<String>();
        StringTokenizer parts = new StringTokenizer(version, ".");
        while (parts.hasMoreTokens()) {
            out.add(parts.nextToken());
        }
        return out;
    }

    /** The number its leading digits form, or -1 if it starts with none. */
    private static long leadingNumber(String component) {
        long value = 0;
        int i = 0;
        for (; i < component.length() && i < 18; i++) {
            char c = component.charAt(i);
            if (c < '0' || c > '9') {
                break;
            }
            value = value * 10 + (c - '0');
        }
        return i == 0 ? -1 : value;
    }

    /** All bytes of the file, or null. */
    static byte[] readFile(String path) {
        try {
            RandomAccessFile file = new RandomAccessFile(path, "r");
            try {
                long length = file.length();
                if (length > Integer.MAX_VALUE) {
                    return null;
                }
                byte[] data = new byte[(int) length];
                file.readFully(data);
                return data;
            } finally {
                file.close();
            }
        } catch (IOException e) {
            return null;
        }
    }

    /**
     * A copy of the data of the first record of the type whose data lies
     * wholly inside the file, or null.
     */
    static byte[] getSection(byte[] file, char type) {
        int at = findSections(file, String.valueOf(type))[0];
        return at < 0 ? null : sectionData(file, at);
    }

    /**
     * For each type letter, the header offset of the first record of that
     * type whose data lies wholly inside the file, or -1. Stops as soon as
     * every type is found, since this scan runs before the VM has compiled it.
     */
    static int[] findSections(byte[] file, String types) {
        int[] found = new int[types.length()];
        Arrays.fill(found, -1);
        int missing = found.length;
        int end = file.length - 16;
        for (int p = 0; p < end && missing > 0; p += 16) {
            if (file[p] != 74 || !isSection(file, p) || p + 20 > file.length) {
                continue;
            }
            int t = types.indexOf((char) (file[p + 15] & 0xFF));
            if (t >= 0 && found[t] < 0 && p + 20 + (getNumber(file, p + 16) & 0xFFFFFFFFL) <= file.length) {
                found[t] = p;
                missing--;
            }
        }
        return found;
    }

    /** A copy of the data of the record whose header is at the offset. */
    private static byte[] sectionData(byte[] file, int header) {
        byte[] data = new byte[getNumber(file, header + 16)];
        System.arraycopy(file, header + 20, data, 0, data.length);
        return data;
    }

    /** Whether the record marker starts at the offset. */
    static boolean isSection(byte[] data, int offset) {
        if (offset < 0 || offset + 15 > data.length) {
            return false;
        }
        for (int k = 0; k < 15; k++) {
            if (data[offset + k] != (byte) (74 + 3 * k / 2)) {
                return false;
            }
        }
        return true;
    }

    /** The 4 bytes at the offset as a little-endian number. */
    static int getNumber(byte[] data, int offset) {
        return (data[offset] & 0xFF) | (data[offset + 1] & 0xFF) << 8 | (data[offset + 2] & 0xFF) << 16
                | (data[offset + 3] & 0xFF) << 24;
    }

    /**
     * Decompresses the gzip stream in gz[offset, offset + length); returns
     * its first size bytes, or null if it holds fewer, is damaged or is cut
     * short (its trailer is checked).
     */
    static byte[] uncompress(byte[] gz, int offset, int length, int size) {
        if (size < 0) {
            new IOException("archive size " + (size & 0xFFFFFFFFL) + " is out of range").printStackTrace();
            return null;
        }
        byte[] body;
        try {
            body = new byte[size];
        } catch (OutOfMemoryError e) {
            e.printStackTrace();
            return null;
        }
        try {
            InputStream in = new GZIPInputStream(new ByteArrayInputStream(gz, offset, length), 65536);
            try {
                int done = 0;
                while (done < size) {
                    int n = in.read(body, done, size - done);
                    if (n <= 0) {
                        return null;
                    }
                    done += n;
                }
                // Reading on to the end is what checks the CRC and length; the
                // size prefix alone decides how much of it is the archive.
                byte[] rest = new byte[8192];
                while (in.read(rest) >= 0) {
                    continue;
                }
            } finally {
                in.close();
            }
        } catch (IOException e) {
            e.printStackTrace();
            return null;
        }
        return body;
    }

    /**
     * Writes each archive entry as a file under dir; returns 0, or the
     * result code of the first entry that fails (the entries before it are
     * written). A null body is 10033.
     */
    static int parseFiles(String dir, byte[] body) {
        List<String> paths = new ArrayList<String>();
        List<Long> spans = new ArrayList<Long>();
        int result = 0;
        Exception malformed = null;
        try {
            if (body == null) {
                throw new IOException("no archive: its data does not decompress to the announced size");
            }
            int p = 0;
            while (p < body.length) {
                if (body.length - p < 4) {
                    throw new IOException("archive entry at " + p + " is cut short");
                }
                if (getNumber(body, p) != ENTRY_TAG) {
                    result = 10031;
                    break;
                }
                if (body.length - p < 5) {
                    throw new IOException("archive entry at " + p + " is cut short");
                }
                int n = body[p + 4];
                if (n < 0 || body.length - p < 10 + n) {
                    throw new IOException("archive entry at " + p + " has a bad name length or is cut short");
                }
                String name = latin1(body, p + 5, n);
                int s = getNumber(body, p + 6 + n);
                if (s < 0 || body.length - p - 10 - n < s) {
                    throw new IOException("archive entry " + name + " runs past the end of the archive");
                }
                String path = localPath(name);
                if (path == null) {
                    result = 10030;
                    break;
                }
                paths.add(dir + File.separator + path);
                spans.add(Long.valueOf((long) (p + 10 + n) << 32 | s));
                p += 10 + n + s;
            }
        } catch (Exception e) {
            malformed = e;
        }
        // The entries before a bad one are written, as if each were written when read.
        try {
            if (!writeEntries(body, paths, spans)) {
                return 10030;
            }
        } catch (Exception e) {
            malformed = e;
        }
        if (malformed != null) {
            malformed.printStackTrace();
            return 10033;
        }
        return result;
    }

    /**
     * The name with the platform's separator between levels, or null for a
     * name that could reach outside the workspace (absolute, a drive, "..").
     */
    static String localPath(String name) {
        if (name.length() == 0 || name.charAt(0) == '\\' || name.charAt(0) == '/'
                || (name.length() >= 2 && name.charAt(1) == ':')) {
            return null;
        }
        StringBuilder out = new StringBuilder(name.length());
        StringTokenizer levels = new StringTokenizer(name, "\\/", true);
        while (levels.hasMoreTokens()) {
            String level = levels.nextToken();
            if (level.equals("\\") || level.equals("/")) {
                out.append(File.separatorChar);
            } else if (level.equals("..")) {
                return null;
            } else {
                out.append(level);
            }
        }
        return out.toString();
    }

    /**
     * Writes the files (spans: content offset in the high, size in the low
     * half): their directories first, each made once, then the files, by a
     * few threads when there are many, since creating files costs more than
     * their bytes. Returns false if one cannot be written.
     */
    static boolean writeEntries(byte[] body, List<String> paths, List<Long> spans) throws InterruptedException {
        Set<String> made = new HashSet<String>();
        for (String path : paths) {
            String parent = new File(path).getParent();
            if (parent != null && made.add(parent)) {
                new File(parent).mkdirs();
            }
        }
        int writers = paths.size() < PARALLEL_ENTRIES ? 1 : WRITERS;
        quillpodboot[] work = new quillpodboot[writers];
        for (int w = 0; w < writers; w++) {
            work[w] = new quillpodboot();
            work[w].w_body = body;
        }
        // Entries naming one file (in any letter case) go to one writer, in order, so the last one wins.
        for (int i = 0; i < paths.size(); i++) {
            String path = paths.get(i);
            quillpodboot w = work[(path.toLowerCase(Locale.ROOT).hashCode() & 0x7FFFFFFF) % writers];
            w.w_paths.add(path);
            w.w_spans.add(spans.get(i));
        }
        Thread[] threads = new Thread[writers - 1];
        for (int w = 0; w < threads.length; w++) {
            threads[w] = new Thread(work[w], "quillpodboot writer " + w);
            threads[w].start();
        }
        work[writers - 1].run();
        boolean all = work[writers - 1].w_ok;
        for (int w = 0; w < threads.length; w++) {
            threads[w].join();
            all &= work[w].w_ok;
        }
        return all;
    }

    /** Writes this writer's share of the archive's files. */
    public void run() {
        boolean good = true;
        for (int i = 0; i < w_paths.size(); i++) {
            long span = w_spans.get(i).longValue();
            good &= writeFile(w_paths.get(i), w_body, (int) (span >>> 32), (int) span);
        }
        w_ok = good;
    }

    /** Writes the bytes to the file, making missing parent directories; false on failure. */
    static boolean writeFile(String path, byte[] data) {
        return writeFile(path, data, 0, data.length);
    }

    /** Writes data[offset, offset + length) to the file in one write; false on failure. */
    static boolean writeFile(String path, byte[] data, int offset, int length) {
        FileOutputStream out;
        try {
            out = new FileOutputStream(path);
        } catch (IOException e) {
            new File(path).getAbsoluteFile().getParentFile().mkdirs();
            try {
                out = new FileOutputStream(path);
            } catch (IOException again) {
                return false;
            }
        }
        try {
            try {
                out.write(data, offset, length);
            } finally {
                out.close();
            }
            return true;
        } catch (IOException e) {
            return false;
        }
    }

    /**
     * Leaves the result code in the workspace, since a POSIX exit status
     * keeps only its low 8 bits; best effort.
     */
    static void writeResult(String dir, int result) {
        if (dir == null) {
            return;
        }
        try {
            writeFile(dir + File.separator + RESULT, Integer.toString(result).getBytes("US-ASCII"));
        } catch (IOException e) {
            // The launcher still has the low 8 bits of the exit status.
        }
    }

    /** The bytes as characters of the same codes. */
    private static String latin1(byte[] data, int offset, int length) {
        try {
            return new String(data, offset, length, "ISO-8859-1");
        } catch (IOException e) {
            throw new IllegalStateException(e);
        }
    }
}
