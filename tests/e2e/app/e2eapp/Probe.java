package e2eapp;

import java.io.File;
import java.io.FileInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.PrintStream;

/**
 * The application of the end-to-end tests. Its first argument picks what
 * it does: "args" prints every argument bracketed, one a line; "file" prints
 * its unpacked data file; "exit N" ends with status N; "throw" fails.
 */
public class Probe {
    public static void main(String[] args) throws IOException {
        PrintStream out = new PrintStream(System.out, true, "UTF-8");
        String mode = args.length > 0 ? args[0] : "";
        if (mode.equals("args")) {
            out.println("argc=" + args.length);
            for (String a : args) {
                out.println("[" + a + "]");
            }
        } else if (mode.equals("file")) {
            File note = new File(System.getProperty("quillpod.dir"), "data" + File.separator + "note.txt");
            InputStream in = new FileInputStream(note);
            byte[] buf = new byte[(int) note.length()];
            int n = 0;
            while (n < buf.length) {
                n += in.read(buf, n, buf.length - n);
            }
            in.close();
            out.println("note=" + new String(buf, "UTF-8"));
        } else if (mode.equals("exit")) {
            System.exit(Integer.parseInt(args[1]));
        } else if (mode.equals("throw")) {
            throw new IllegalStateException("the probe fails on purpose");
        }
    }
}
