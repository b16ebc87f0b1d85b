import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.RandomAccessFile;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.Charset;
import java.nio.charset.CodingErrorAction;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashMap;
import java.util.HashSet;
import java.util.List;
import java.util.Map;
import java.util.Properties;
import java.util.Set;
import java.util.StringTokenizer;
import java.util.zip.CRC32;
import java.util.zip.DataFormatException;
import java.util.zip.Inflater;

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

    // Result codes, each the VM's exit status when booting fails (the
    // launcher reads the whole code from the result file). The launcher
    // tries the next VM on R_VM_TOO_OLD and restarts once on
    // R_MAIN_NOT_LOADED when the configuration names jars; every other code
    // ends its attempts.
    static final int R_VM_TOO_OLD = 10333;
    static final int R_NO_WORKSPACE = 10010;      // no program argument or no quillpod.dir
    static final int R_UNREADABLE_EXE = 10011;
    static final int R_NO_ARCHIVE = 10012;        // no Z record, or one of 4 bytes or fewer
    static final int R_NO_MARKER = 10013;         // the marker file cannot be written
    static final int R_NO_MAIN_KEY = 10020;       // the configuration names no main class
    static final int R_MAIN_THREW = 10021;
    static final int R_NO_MAIN_METHOD = 10022;
    static final int R_MAIN_NOT_CALLED = 10023;
    static final int R_MAIN_NOT_LOADED = 10024;
    static final int R_FILE_NOT_WRITTEN = 10030;  // an archive entry's file cannot be written
    static final int R_BAD_ENTRY_TAG = 10031;
    static final int R_BAD_ARCHIVE = 10033;
    static final int R_DISK_FULL = 10034;         // writing failed for want of space

    // Creating files on a busy or slow disk goes faster with a few writers,
    // each waiting for the file system while the others go on; a writer
    // needs this many files to pay for its thread. Beyond the cap they
    // gained nothing when measured: the system creates the files of one
    // directory one at a time, and most files share a directory.
    static final int ENTRIES_PER_WRITER = 48;
    static int MAX_WRITERS = 4;  // not final: the boot benchmark tries other counts

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
    // The first file this writer could not write, and why.
    private String w_failedPath;
    private IOException w_failure;

    /** Why the last unpacking failed, for the reason line. */
    static String s_reason = "";

    /** Runs the boot sequence; ends the VM with the result code on failure. */
    public static void main(String[] args) {
        quillpodboot boot = new quillpodboot();
        String dir = System.getProperty("quillpod.dir");
        int result = boot.go(args);
        if (result != 0) {
            // One line that says why, on the stream the launcher collects.
            System.out.println("quillpodboot: error " + result + ": " + boot.m_reason);
            System.out.flush();
            writeResult(dir, result);
            System.exit(result);
        }
        if (dir != null) {
            new File(dir, RESULT).delete();
        }
    }

    /** Why go failed, for the one line main prints. */
    String m_reason = "";

    /** Sets the reason go gives for its result code, and returns that code. */
    private int fail(int result, String reason) {
        m_reason = reason;
        return result;
    }

    /** The whole boot sequence; returns 0 once the application's main has returned. */
    int go(String[] args) {
        // Against the default minimum before anything is read, so an old VM stops early.
        if (!verOK()) {
            return fail(R_VM_TOO_OLD, versionReason());
        }
        String dir = System.getProperty("quillpod.dir");
        if (args.length == 0 || dir == null) {
            return fail(R_NO_WORKSPACE, args.length == 0 ? "no executable named on the command line"
                    : "the workspace is not given (property quillpod.dir)");
        }
        // The result file's space is taken now, while the disk has room, so
        // a result still reaches the launcher when unpacking fills the disk.
        reserveResult(dir);
        int unpacked = unpack(args[0], dir);
        if (unpacked != 0) {
            return unpacked;
        }

        String mainName = m_vars.getProperty("main");
        if (mainName == null) {
            return fail(R_NO_MAIN_KEY, "the configuration names no main class");
        }
        Class<?> mainClass;
        try {
            mainClass = Class.forName(mainName);
        } catch (Exception e) {
            return fail(R_MAIN_NOT_LOADED, "cannot load the main class " + printable(mainName) + ": " + e);
        } catch (UnsupportedClassVersionError e) {
            // Built for a newer Java than this VM: a newer VM would run it.
            return fail(R_VM_TOO_OLD, newerJavaReason(printable(mainName), e));
        } catch (LinkageError e) {
            // A damaged class file or a class it needs that is missing.
            return fail(R_MAIN_NOT_LOADED, "cannot load the main class " + printable(mainName) + ": " + e);
        }
        String[] appArgs = new String[args.length - 1];
        System.arraycopy(args, 1, appArgs, 0, appArgs.length);

        File marker = new File(dir, MARKER);
        IOException markerFailure = write(marker.getPath(), new byte[MARKER_SIZE], 0, MARKER_SIZE);
        if (markerFailure != null) {
            // A marker cut short would still tell the launcher that the application ran.
            marker.delete();
            return fail(noSpace(markerFailure, dir) ? R_DISK_FULL : R_NO_MARKER,
                    "cannot write the marker file " + marker + ": " + osReason(markerFailure));
        }
        try {
            Method main = mainClass.getMethod("main", String[].class);
            main.invoke(null, new Object[] {appArgs});
            return 0;
        } catch (InvocationTargetException e) {
            e.getTargetException().printStackTrace();
            marker.delete();
            return fail(R_MAIN_THREW, "the main method of " + mainName + " failed: " + e.getTargetException());
        } catch (NoSuchMethodException e) {
            e.printStackTrace();
            marker.delete();
            return fail(R_NO_MAIN_METHOD, "the class " + mainName + " has no public main(String[])");
        } catch (Exception e) {
            e.printStackTrace();
            marker.delete();
            return fail(R_MAIN_NOT_CALLED, "cannot call the main method of " + mainName + ": " + e);
        } catch (UnsupportedClassVersionError e) {
            marker.delete();
            return fail(R_VM_TOO_OLD, newerJavaReason(mainName, e));
        } catch (LinkageError e) {
            // A class named by one of the main class's methods is missing.
            marker.delete();
            return fail(R_MAIN_NOT_LOADED, "cannot load the main class " + mainName + ": " + e);
        }
    }

    /**
     * Reads the executable's records, checks the VM's version against the
     * configured minimum and unpacks the archive into dir: 0, or the result
     * code of the step that failed (with its reason set).
     */
    int unpack(String exe, String dir) {
        byte[][] records;
        try {
            records = readSections(exe, "VZ");
        } catch (IOException e) {
            return fail(R_UNREADABLE_EXE, "cannot read the executable " + exe + ": " + osReason(e));
        } catch (OutOfMemoryError e) {
            return fail(R_UNREADABLE_EXE, "cannot read the executable " + exe + ": a record is too large");
        }
        if (records[0] != null) {
            parseVars(records[0]);
        }
        if (!verOK()) {
            return fail(R_VM_TOO_OLD, versionReason());
        }
        // The launcher has no console of ours to show; it collects one stream.
        System.setErr(System.out);

        byte[] z = records[1];
        records = null;
        if (z == null || z.length <= 4) {
            return fail(R_NO_ARCHIVE, z == null ? "the executable " + exe + " carries no archive record"
                    : "the archive record of the executable " + exe + " is too short");
        }
        byte[] body = uncompress(z, 4, z.length - 4, getNumber(z, 0));
        z = null;
        int unpacked = parseFiles(dir, body);
        return unpacked > 0 ? fail(unpacked, s_reason) : 0;
    }

    /**
     * The reason given when a class of the application was built for a newer
     * Java than this VM: the class, and the Java version its class-file
     * version stands for (version 52 is Java 8, each release one more).
     */
    static String newerJavaReason(String mainName, UnsupportedClassVersionError e) {
        String message = String.valueOf(e.getMessage());
        String needs = "a newer Java";
        int at = message.indexOf("class file version ");
        if (at >= 0) {
            int from = at + "class file version ".length();
            int to = from;
            while (to < message.length() && Character.isDigit(message.charAt(to))) {
                to++;
            }
            if (to > from && to - from < 4) {
                needs = "Java " + (Integer.parseInt(message.substring(from, to)) - 44) + " or newer";
            }
        }
        return "the application's class " + mainName + " needs " + needs + ", and this VM is Java "
                + System.getProperty("java.version") + " (" + message + ")";
    }

    /** The reason given for R_VM_TOO_OLD. */
    private String versionReason() {
        return "this VM's version " + System.getProperty("java.version") + " is below the minimum "
                + m_vars.getProperty("minver", "1.1");
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
     * type whose data lies wholly inside the file, or -1.
     */
    static int[] findSections(byte[] file, String types) {
        long[] found = new long[types.length()];
        Arrays.fill(found, -1);
        scan(file, file.length, 0, file.length, file.length, types, found, found.length);
        int[] at = new int[found.length];
        for (int t = 0; t < at.length; t++) {
            at[t] = (int) found[t];
        }
        return at;
    }

    /** How much of the executable one read of the record scan takes. */
    static final int SCAN_CHUNK = 256 * 1024;
    /** How far past the declared archive size a gzip stream is still inflated to check its trailer. */
    static final int CHECKED_OVERRUN = 1 << 20;

    /**
     * The data of the first record of each type letter whose data lies
     * wholly inside the file (null where there is none). The file is read
     * only up to the last header needed, and then only the data the records
     * declare: whatever follows them is never read.
     */
    static byte[][] readSections(String path, String types) throws IOException {
        long[] found = new long[types.length()];
        Arrays.fill(found, -1);
        byte[][] data = new byte[types.length()][];
        RandomAccessFile file = new RandomAccessFile(path, "r");
        try {
            long length = file.length();
            // A header read at the end of a chunk needs the next 20 bytes too.
            byte[] window = new byte[(int) Math.min(SCAN_CHUNK + 32, Math.max(length, 0))];
            int missing = found.length;
            for (long base = 0; base < length - 16 && missing > 0; base += SCAN_CHUNK) {
                int n = (int) Math.min(window.length, length - base);
                file.seek(base);
                file.readFully(window, 0, n);
                missing = scan(window, n, base, length, base + SCAN_CHUNK, types, found, missing);
            }
            window = null;
            for (int t = 0; t < found.length; t++) {
                if (found[t] < 0) {
                    continue;
                }
                byte[] header = new byte[20];
                file.seek(found[t]);
                file.readFully(header);
                long size = getNumber(header, 16) & 0xFFFFFFFFL;
                if (size > Integer.MAX_VALUE - 8) {
                    throw new IOException("its record " + types.charAt(t) + " of " + size + " bytes is too large");
                }
                data[t] = new byte[(int) size];
                file.readFully(data[t]);
            }
        } finally {
            file.close();
        }
        return data;
    }

    /**
     * Looks for record headers at the grid positions from base up to limit
     * in window[0, n), which holds the file's bytes from offset base on (a
     * multiple of 16); records the header offset of the first fitting
     * record of each still missing type letter. Returns how many are still
     * missing; stops at 0, since this scan runs before the VM has compiled it.
     */
    private static int scan(byte[] window, int n, long base, long length, long limit, String types, long[] found,
                            int missing) {
        long end = Math.min(limit, length - 16);
        for (long p = base; p < end && missing > 0; p += 16) {
            int i = (int) (p - base);
            if (window[i] != 74 || i + 20 > n || !isSection(window, i)) {
                continue;
            }
            int t = types.indexOf((char) (window[i + 15] & 0xFF));
            if (t >= 0 && found[t] < 0 && p + 20 + (getNumber(window, i + 16) & 0xFFFFFFFFL) <= length) {
                found[t] = p;
                missing--;
            }
        }
        return missing;
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
     * The length of the gzip member header at gz[offset, offset + length),
     * with its optional fields, or -1 when it is not one of deflate data.
     */
    static int gzipHeaderLength(byte[] gz, int offset, int length) {
        if (length < 10 || (gz[offset] & 0xFF) != 0x1F || (gz[offset + 1] & 0xFF) != 0x8B || gz[offset + 2] != 8) {
            return -1;
        }
        int flags = gz[offset + 3] & 0xFF;
        int at = 10;
        if ((flags & 4) != 0) {  // extra field
            if (at + 2 > length) {
                return -1;
            }
            at += 2 + ((gz[offset + at] & 0xFF) | (gz[offset + at + 1] & 0xFF) << 8);
        }
        for (int bit = 8; bit <= 16; bit <<= 1) {  // name, then comment, each ended by a NUL
            if ((flags & bit) != 0) {
                while (at < length && gz[offset + at] != 0) {
                    at++;
                }
                at++;
            }
        }
        if ((flags & 2) != 0) {  // header CRC
            at += 2;
        }
        return at <= length ? at : -1;
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
        // Deflate shrinks data at most about 1032 times: a larger size could
        // never be filled, so no buffer is made for it.
        if (size > 1032L * length + 1024) {
            new IOException("archive size " + size + " is more than " + length
                    + " compressed bytes can hold").printStackTrace();
            return null;
        }
        byte[] body;
        try {
            body = new byte[size];
        } catch (OutOfMemoryError e) {
            e.printStackTrace();
            return null;
        }
        // Only the declared bytes are inflated: a stream that would give more
        // could keep the VM busy for minutes with data that is not the archive.
        Inflater inflater = new Inflater(true);
        try {
            int start = gzipHeaderLength(gz, offset, length);
            if (start < 0) {
                new IOException("the archive is not a gzip stream").printStackTrace();
                return null;
            }
            inflater.setInput(gz, offset + start, length - start);
            int done = 0;
            while (done < size) {
                int n = inflater.inflate(body, done, size - done);
                if (n == 0 && (inflater.finished() || inflater.needsInput() || inflater.needsDictionary())) {
                    new IOException("the archive's data ends after " + done + " of its " + size + " bytes")
                            .printStackTrace();
                    return null;
                }
                done += n;
            }
            // The trailer's CRC-32 and length cover the whole stream: a stream
            // that runs on a little past the declared size (a damaged one does)
            // is read to its end to check them, one that runs on far is not
            // inflated further and the size prefix alone decides.
            CRC32 crc = new CRC32();
            crc.update(body, 0, size);
            long total = size;
            byte[] rest = new byte[8192];
            while (!inflater.finished()) {
                int n = inflater.inflate(rest);
                if (n == 0 && (inflater.needsInput() || inflater.needsDictionary())) {
                    new IOException("the archive's gzip stream is cut short").printStackTrace();
                    return null;
                }
                crc.update(rest, 0, n);
                total += n;
                if (total - size > CHECKED_OVERRUN) {
                    return body;
                }
            }
            int trailer = offset + length - inflater.getRemaining();
            if (trailer + 8 > offset + length) {
                new IOException("the archive's gzip trailer is cut short").printStackTrace();
                return null;
            }
            if (getNumber(gz, trailer) != (int) crc.getValue() || getNumber(gz, trailer + 4) != (int) total) {
                new IOException("the archive's gzip trailer does not match its data (CRC or length)")
                        .printStackTrace();
                return null;
            }
        } catch (DataFormatException e) {
            e.printStackTrace();
            return null;
        } finally {
            inflater.end();
        }
        return body;
    }

    /**
     * Writes each archive entry as a file under dir; returns 0, or the
     * result code of the first entry that fails (the entries before it are
     * written): R_DISK_FULL when the disk is full. A null body is R_BAD_ARCHIVE.
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
        s_reason = "";
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
                    result = R_BAD_ENTRY_TAG;
                    s_reason = "the archive entry at " + p + " does not begin with the entry tag";
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
                    throw new IOException("archive entry " + printable(latin1(body, p + 5, n))
                            + " runs past the end of the archive");
                }
                String path = localPath(prefix, body, p + 5, n);
                if (path == null) {
                    result = R_FILE_NOT_WRITTEN;
                    s_reason = "the archive entry " + printable(latin1(body, p + 5, n))
                            + " is refused: it names a place outside the workspace or a file of the boot stage";
                    break;
                }
                String unnameable = ascii(body, p + 5, n) ? null : unnameable(path);
                if (unnameable != null) {
                    result = 10030;
                    s_reason = "cannot unpack the archive entry: " + unnameable;
                    break;
                }
                // Each directory is made once, not found missing by a failed open per file.
                int cut = path.lastIndexOf(File.separatorChar);
                if (cut >= prefix.length && (parent.length() != cut || !path.startsWith(parent))) {
                    parent = path.substring(0, cut);
                    if (made.add(parent)) {
                        makeFolders(parent, prefix.length, made);
                    }
                }
                files.addEntry(path, p + 10 + n, s, folderKey(body, p + 5, n));
                p += 10 + n + s;
            }
        } catch (Exception e) {
            malformed = e;
        }
        // The entries before a bad one are written, as if each were written when read.
        try {
            quillpodboot failed = files.writeAll();
            if (failed != null) {
                s_reason = "cannot write the archive entry to " + failed.w_failedPath + ": "
                        + osReason(failed.w_failure);
                return noSpace(failed.w_failure, dir) ? R_DISK_FULL : R_FILE_NOT_WRITTEN;
            }
        } catch (Exception e) {
            malformed = e;
        }
        if (malformed != null) {
            malformed.printStackTrace();
            s_reason = "the archive is damaged: " + malformed.getMessage();
            return R_BAD_ARCHIVE;
        }
        return result;
    }

    /**
     * Makes the folder path (under the workspace, whose name with its
     * separator is the first prefixLength characters) and its missing
     * parents. A folder at the top of the workspace is made under a fresh
     * name and then renamed into place. The launcher marks the workspace as
     * the top of a hierarchy, so the file system places each such folder
     * apart, by its first name, from the files in the temporary directory:
     * an ext4 disk without a journal will not hand out a file number freed
     * in the last minute and walks past every such number for each new file,
     * so a place that earlier launches have just emptied is slow to fill.
     * A fresh name takes each launch somewhere else. Where the rename cannot
     * be done, the folder is made as it is named.
     */
    static void makeFolders(String path, int prefixLength, Set<String> made) {
        int cut = path.indexOf(File.separatorChar, prefixLength);
        String top = cut < 0 ? path : path.substring(0, cut);
        int length = top.length() - prefixLength;
        boolean plainLevel = length == 0 || (length == 1 && top.charAt(prefixLength) == '.');
        if (!plainLevel && (cut < 0 || made.add(top))) {
            File fresh = new File(path.substring(0, prefixLength) + "quillpod-"
                    + Long.toHexString(Double.doubleToLongBits(Math.random()) & 0xFFFFFFFFFFFFFL));
            if (fresh.mkdir() && !fresh.renameTo(new File(top))) {
                fresh.delete();
            }
        }
        new File(path).mkdirs();
    }

    /**
     * The path of the archive name b[off, off + n) under the workspace
     * (prefix, ending in a separator), with the platform's separator between
     * levels; null for a name that could reach outside the workspace (empty,
     * absolute, on a drive, or with a ".." level) or that would take the
     * place of the boot class, the marker or the result file.
     */
    static String localPath(char[] prefix, byte[] b, int off, int n) {
        if (n == 0 || b[off] == '\\' || b[off] == '/' || (n >= 2 && b[off + 1] == ':')) {
            return null;
        }
        char[] out = new char[prefix.length + n];
        System.arraycopy(prefix, 0, out, 0, prefix.length);
        int level = 0;
        boolean top = true;
        boolean high = false;
        for (int i = 0; i <= n; i++) {
            int c = i < n ? b[off + i] & 0xFF : '/';
            if (c == '\\' || c == '/') {
                int length = i - level;
                if (length == 2 && b[off + level] == '.' && b[off + level + 1] == '.') {
                    return null;
                }
                // Empty and "." levels stay at the top, so they cannot hide a reserved name.
                if (top && !(length == 0 || (length == 1 && b[off + level] == '.'))) {
                    if (isReserved(b, off + level, length)) {
                        return null;
                    }
                    top = false;
                }
                level = i + 1;
                c = File.separatorChar;
            }
            if (i < n) {
                out[prefix.length + i] = (char) c;
                high |= c >= 0x80;
            }
        }
        return high ? utf8Path(prefix, b, off, n, new String(out)) : new String(out);
    }

    /**
     * The path of a name with bytes above 127: names are UTF-8, so the path
     * holds the characters they encode; bytes that are no UTF-8 keep the
     * older reading, each byte the character of its code (the latin1 path).
     */
    private static String utf8Path(char[] prefix, byte[] b, int off, int n, String latin1) {
        String name;
        try {
            name = Charset.forName("UTF-8").newDecoder().onMalformedInput(CodingErrorAction.REPORT)
                    .onUnmappableCharacter(CodingErrorAction.REPORT).decode(ByteBuffer.wrap(b, off, n)).toString();
        } catch (CharacterCodingException e) {
            return latin1;
        }
        return new String(prefix) + name.replace('\\', File.separatorChar).replace('/', File.separatorChar);
    }

    /** Whether b[off, off + n) holds only ASCII bytes. */
    private static boolean ascii(byte[] b, int off, int n) {
        for (int i = off; i < off + n; i++) {
            if (b[i] < 0) {
                return false;
            }
        }
        return true;
    }

    /**
     * Why the VM cannot create a file of this path, or null. A VM on a
     * POSIX system turns names into bytes in the locale's encoding and puts
     * a question mark for each character it lacks, which would unpack the
     * file under another name; Windows takes the characters themselves.
     */
    static String unnameable(String path) {
        if (File.separatorChar == '\\') {
            return null;
        }
        String encoding = System.getProperty("sun.jnu.encoding");
        try {
            if (encoding == null || Charset.forName(encoding).newEncoder().canEncode(path)) {
                return null;
            }
        } catch (RuntimeException e) {
            return null;
        }
        return "the VM writes file names in " + encoding + ", which cannot hold the characters of " + path
                + "; start the program in a UTF-8 locale (for example LANG=C.UTF-8)";
    }

    /** The workspace's own files, which no archive entry may replace. */
    private static final String[] RESERVED = {MARKER, RESULT, "quillpodboot.class"};

    /** Whether b[off, off + n) is one of the reserved names, in any letter case. */
    private static boolean isReserved(byte[] b, int off, int n) {
        for (String name : RESERVED) {
            if (name.length() == n && name.equalsIgnoreCase(latin1(b, off, n))) {
                return true;
            }
        }
        return false;
    }

    /**
     * A hash of the folder part of the name (up to its last separator), the
     * same for names of one folder, and so of one file, in any letter case.
     */
    private static int folderKey(byte[] b, int off, int n) {
        int end = n;
        while (end > 0 && b[off + end - 1] != '\\' && b[off + end - 1] != '/') {
            end--;
        }
        int h = 0;
        for (int i = 0; i < end; i++) {
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
     * Writes this list's files, by a few threads when there are many. The
     * system creates the files of one folder one at a time, so the writers
     * share out whole folders, the largest first, each to the writer with
     * the fewest files so far; entries naming one file (in any letter case)
     * thus go to one writer, in order, and the last one wins. Returns null,
     * or a writer that could not write one of its files.
     */
    private quillpodboot writeAll() throws InterruptedException {
        HashMap<Integer, Integer> folderSizes = new HashMap<Integer, Integer>();
        for (int i = 0; i < e_count; i++) {
            Integer size = folderSizes.get(e_keys[i]);
            folderSizes.put(e_keys[i], size == null ? 1 : size + 1);
        }
        int writers = Math.min(writersFor(e_count), folderSizes.size());
        if (writers <= 1) {
            run();
            return w_ok ? null : this;
        }
        // Each folder as its size above its key, so sorting orders them by size.
        long[] folders = new long[folderSizes.size()];
        int f = 0;
        for (Map.Entry<Integer, Integer> folder : folderSizes.entrySet()) {
            folders[f++] = (long) folder.getValue() << 32 | (folder.getKey() & 0xFFFFFFFFL);
        }
        Arrays.sort(folders);
        int[] load = new int[writers];
        HashMap<Integer, Integer> writerOf = new HashMap<Integer, Integer>();
        for (f = folders.length - 1; f >= 0; f--) {
            int least = 0;
            for (int w = 1; w < writers; w++) {
                if (load[w] < load[least]) {
                    least = w;
                }
            }
            load[least] += (int) (folders[f] >>> 32);
            writerOf.put((int) folders[f], least);
        }
        quillpodboot[] work = new quillpodboot[writers];
        for (int w = 0; w < writers; w++) {
            work[w] = new quillpodboot();
            work[w].w_body = w_body;
        }
        for (int i = 0; i < e_count; i++) {
            work[writerOf.get(e_keys[i])].addEntry(e_paths[i], e_offsets[i], e_sizes[i], e_keys[i]);
        }
        Thread[] threads = new Thread[writers - 1];
        for (int w = 0; w < threads.length; w++) {
            threads[w] = new Thread(work[w], "quillpodboot writer " + w);
            threads[w].start();
        }
        work[writers - 1].run();
        quillpodboot failed = work[writers - 1].w_ok ? null : work[writers - 1];
        for (int w = 0; w < threads.length; w++) {
            threads[w].join();
            if (!work[w].w_ok && failed == null) {
                failed = work[w];
            }
        }
        return failed;
    }

    /** How many threads write this many files. */
    static int writersFor(int entries) {
        return Math.max(1, Math.min(MAX_WRITERS, entries / ENTRIES_PER_WRITER));
    }

    /** Writes this list's files, one write each; keeps the first failure. */
    public void run() {
        boolean good = true;
        for (int i = 0; i < e_count; i++) {
            IOException failure;
            try {
                failure = write(e_paths[i], w_body, e_offsets[i], e_sizes[i]);
            } catch (RuntimeException e) {
                failure = new IOException(e.toString());
            }
            if (failure != null && good) {
                good = false;
                w_failedPath = e_paths[i];
                w_failure = failure;
            }
        }
        w_ok = good;
    }

    /** Writes the bytes to the file, making missing parent directories; false on failure. */
    static boolean writeFile(String path, byte[] data) {
        return write(path, data, 0, data.length) == null;
    }

    /** Writes data[offset, offset + length) to the file in one write; false on failure. */
    static boolean writeFile(String path, byte[] data, int offset, int length) {
        return write(path, data, offset, length) == null;
    }

    /**
     * Writes data[offset, offset + length) to the file in one write, making
     * missing parent directories; null, or why it could not.
     */
    static IOException write(String path, byte[] data, int offset, int length) {
        FileOutputStream out;
        try {
            out = new FileOutputStream(path);
        } catch (IOException e) {
            new File(path).getAbsoluteFile().getParentFile().mkdirs();
            try {
                out = new FileOutputStream(path);
            } catch (IOException again) {
                return again;
            }
        }
        try {
            try {
                out.write(data, offset, length);
            } finally {
                out.close();
            }
            return null;
        } catch (IOException e) {
            return e;
        }
    }

    /**
     * Whether a write failed because the workspace's disk is full (no room
     * or no inodes left, or the user's quota used up).
     */
    static boolean noSpace(IOException e, String dir) {
        String message = String.valueOf(e.getMessage());
        if (message.contains("No space left") || message.contains("quota")) {
            return true;
        }
        try {
            return new File(dir).getUsableSpace() == 0 && new File(dir).getTotalSpace() > 0;
        } catch (SecurityException denied) {
            return false;
        }
    }

    /** The operating system's reason in an exception's message, without the path the VM puts before it. */
    static String osReason(IOException e) {
        String message = e.getMessage();
        if (message == null) {
            return e.getClass().getName();
        }
        int open = message.lastIndexOf(" (");
        if (open >= 0 && message.endsWith(")")) {
            return message.substring(open + 2, message.length() - 1);
        }
        return message;
    }

    /** The text with control characters written as escapes, for a one-line message. */
    static String printable(String text) {
        StringBuilder out = new StringBuilder(text.length());
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c < 0x20 || c == 0x7F) {
                out.append(c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\0' ? "\\0"
                        : String.format("\\x%02x", (int) c));
            } else {
                out.append(c);
            }
        }
        return out.toString();
    }

    /**
     * Takes the result file's room in the workspace before unpacking: a
     * blank file, which the launcher reads as no result.
     */
    static void reserveResult(String dir) {
        try {
            RandomAccessFile file = new RandomAccessFile(new File(dir, RESULT), "rw");
            try {
                file.write(RESULT_ROOM);
            } finally {
                file.close();
            }
        } catch (IOException e) {
            // The result is written without the reservation, if it can be.
        }
    }

    /** The blank content of a reserved result file: room for any 32-bit number. */
    private static final byte[] RESULT_ROOM = {32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32};

    /**
     * Leaves the result code in the workspace, since a POSIX exit status
     * keeps only its low 8 bits; best effort. It overwrites the reserved
     * file in place, never truncating it first, so a full disk does not
     * take its room away.
     */
    static void writeResult(String dir, int result) {
        if (dir == null) {
            return;
        }
        try {
            byte[] text = Integer.toString(result).getBytes("US-ASCII");
            RandomAccessFile file = new RandomAccessFile(new File(dir, RESULT), "rw");
            try {
                file.write(text);
                file.setLength(text.length);
            } finally {
                file.close();
            }
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
