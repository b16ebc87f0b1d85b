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

    // A list of files to write from the archive, and a writer thread's share
    // of it (one class file only: no nested classes).
    private byte[] w_body;
    private String[] e_paths;
    private int[] e_offsets;
    private int[] e_sizes;
    private int[] e_keys;
    private int e_count;
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
        // Against the default minimum before anything is read, so an old VM stops early.
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
        // This runs once in a cold VM, so it works on the bytes directly and
        // makes few objects: it costs as much as creating the files.
        quillpodboot files = new quillpodboot();
        files.w_body = body;
        char[] prefix = (dir + File.separatorChar).toCharArray();
        Set<String> made = new HashSet<String>();
        String parent = "";
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
                int s = getNumber(body, p + 6 + n);
                if (s < 0 || body.length - p - 10 - n < s) {
                    throw new IOException("archive entry " + latin1(body, p + 5, n)
                            + " runs past the end of the archive");
                }
                String path = localPath(prefix, body, p + 5, n);
                if (path == null) {
                    result = 10030;
                    break;
                }
                // Each directory is made once, not found missing by a failed open per file.
                int cut = path.lastIndexOf(File.separatorChar);
                if (cut >= prefix.length && (parent.length() != cut || !path.startsWith(parent))) {
                    parent = path.substring(0, cut);
                    if (made.add(parent)) {
                        new File(parent).mkdirs();
                    }
                }
                files.addEntry(path, p + 10 + n, s, nameKey(body, p + 5, n));
                p += 10 + n + s;
            }
        } catch (Exception e) {
            malformed = e;
        }
        // The entries before a bad one are written, as if each were written when read.
        try {
            if (!files.writeAll()) {
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
     * The path of the archive name b[off, off + n) under the workspace
     * (prefix, ending in a separator), with the platform's separator between
     * levels; null for a name that could reach outside the workspace: empty,
     * absolute, on a drive, or with a ".." level.
     */
    static String localPath(char[] prefix, byte[] b, int off, int n) {
        if (n == 0 || b[off] == '\\' || b[off] == '/' || (n >= 2 && b[off + 1] == ':')) {
            return null;
        }
        char[] out = new char[prefix.length + n];
        System.arraycopy(prefix, 0, out, 0, prefix.length);
        int level = 0;
        for (int i = 0; i <= n; i++) {
            int c = i < n ? b[off + i] & 0xFF : '/';
            if (c == '\\' || c == '/') {
                if (i - level == 2 && b[off + level] == '.' && b[off + level + 1] == '.') {
                    return null;
                }
                level = i + 1;
                c = File.separatorChar;
            }
            if (i < n) {
                out[prefix.length + i] = (char) c;
            }
        }
        return new String(out);
    }

    /** A hash of the name that is the same for names of one file in any letter case. */
    private static int nameKey(byte[] b, int off, int n) {
        int h = 0;
        for (int i = 0; i < n; i++) {
            int c = b[off + i] & 0xFF;
            if (c >= 'A' && c <= 'Z') {
                c += 'a' - 'A';
            } else if (c == '/') {
                c = '\\';
            }
            h = 31 * h + c;
        }
        return h & 0x7FFFFFFF;
    }

    /** Adds one file to this list. */
    private void addEntry(String path, int offset, int size, int key) {
        if (e_paths == null) {
            e_paths = new String[64];
            e_offsets = new int[64];
            e_sizes = new int[64];
            e_keys = new int[64];
        } else if (e_count == e_paths.length) {
            e_paths = Arrays.copyOf(e_paths, e_count * 2);
            e_offsets = Arrays.copyOf(e_offsets, e_count * 2);
            e_sizes = Arrays.copyOf(e_sizes, e_count * 2);
            e_keys = Arrays.copyOf(e_keys, e_count * 2);
        }
        e_paths[e_count] = path;
        e_offsets[e_count] = offset;
        e_sizes[e_count] = size;
        e_keys[e_count] = key;
        e_count++;
    }

    /**
     * Writes this list's files, by a few threads when there are many;
     * entries naming one file (in any letter case) go to one writer, in
     * order, so the last one wins. Returns false if one cannot be written.
     */
    private boolean writeAll() throws InterruptedException {
        int writers = e_count < PARALLEL_ENTRIES ? 1 : WRITERS;
        if (writers == 1) {
            run();
            return w_ok;
        }
        quillpodboot[] work = new quillpodboot[writers];
        for (int w = 0; w < writers; w++) {
            work[w] = new quillpodboot();
            work[w].w_body = w_body;
        }
        for (int i = 0; i < e_count; i++) {
            work[e_keys[i] % writers].addEntry(e_paths[i], e_offsets[i], e_sizes[i], e_keys[i]);
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

    /** Writes this list's files, one write each. */
    public void run() {
        boolean good = true;
        for (int i = 0; i < e_count; i++) {
            good &= writeFile(e_paths[i], w_body, e_offsets[i], e_sizes[i]);
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
