import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.file.Files;
import java.util.Arrays;
import java.util.Random;

/**
 * Helper of run.sh, in the boot stage's package so it can call its parts.
 *   make DIR            writes an application shaped like the game's archive:
 *                       BenchMain.class (main exits at once) plus 72 class-like
 *                       files of ~2.9 KB, 330 of ~1.8 KB and 32 of ~14 KB, all
 *                       random bytes (incompressible, ~1.26 MB)
 *   unpack EXE WRITERS DIR  times the boot stage's uncompress and parseFiles on the
 *                       executable's archive with at most that many writer threads, in
 *                       a new directory under DIR, marked as the launcher marks
 *                       its workspace: the
 *                       first round (a cold VM, as in a real start) and the
 *                       median of 5 more; prints "writers cold-inflate
 *                       cold-write warm-inflate warm-write tmpdir" (ms)
 */
public class BootBench {
    public static void main(String[] args) throws Exception {
        if (args[0].equals("make")) {
            make(new File(args[1]));
        } else {
            unpack(args[1], Integer.parseInt(args[2]), new File(args[3]));
        }
    }

    static void make(File dir) throws IOException {
        Random random = new Random(20241224);
        group(dir, "com/tallowfen/bench/Part", ".class", 72, 2900, random);
        group(dir, "XmasGifs/Frame", ".gif", 330, 1800, random);
        group(dir, "XmasSounds/Sound", ".au", 32, 14000, random);
    }

    static void group(File dir, String stem, String ext, int count, int size, Random random) throws IOException {
        for (int i = 0; i < count; i++) {
            File f = new File(dir, stem + i + ext);
            f.getParentFile().mkdirs();
            byte[] data = new byte[size - size / 5 + random.nextInt(size * 2 / 5)];
            random.nextBytes(data);
            FileOutputStream out = new FileOutputStream(f);
            out.write(data);
            out.close();
        }
    }

    static void unpack(String exe, int writers, File under) throws Exception {
        quillpodboot.MAX_WRITERS = writers;
        byte[] file = quillpodboot.readFile(exe);
        byte[] z = quillpodboot.getSection(file, 'Z');
        int size = quillpodboot.getNumber(z, 0);
        File base = Files.createTempDirectory(under.toPath(), "bootbench").toFile();
        int rounds = 5;
        long[] inflate = new long[rounds + 1];
        long[] write = new long[rounds + 1];
        for (int r = 0; r <= rounds; r++) {
            File dir = new File(base, "r" + r);
            dir.mkdir();
            markTop(dir);
            long t0 = System.nanoTime();
            byte[] body = quillpodboot.uncompress(z, 4, z.length - 4, size);
            long t1 = System.nanoTime();
            if (quillpodboot.parseFiles(dir.getPath(), body) != 0) {
                throw new IllegalStateException("unpacking failed");
            }
            inflate[r] = System.nanoTime() - t0;
            write[r] = System.nanoTime() - t1;
            inflate[r] -= write[r];
        }
        // Round 0 runs in a cold VM, as the boot stage always does.
        System.out.printf("%d %.1f %.1f %.1f %.1f %s%n", writers, inflate[0] / 1e6, write[0] / 1e6,
                median(Arrays.copyOfRange(inflate, 1, rounds + 1)), median(Arrays.copyOfRange(write, 1, rounds + 1)),
                base);
    }

    /** Marks the directory as the launcher marks its workspace (chattr +T), where the file system allows it. */
    static void markTop(File dir) throws Exception {
        new ProcessBuilder("chattr", "+T", dir.getPath()).redirectErrorStream(true)
                .redirectOutput(ProcessBuilder.Redirect.appendTo(new File("/dev/null"))).start().waitFor();
    }

    static double median(long[] ns) {
        long[] s = ns.clone();
        Arrays.sort(s);
        return s[s.length / 2] / 1e6;
    }
}
