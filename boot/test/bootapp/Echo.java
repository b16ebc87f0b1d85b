package bootapp;

import java.io.File;
import java.nio.file.Files;

/** Prints its arguments and its unpacked data file; "exit N" ends the VM with N. */
public class Echo {
    public static void main(String[] args) throws Exception {
        StringBuilder out = new StringBuilder("args=" + args.length);
        for (String a : args) {
            out.append('|').append(a);
        }
        System.out.println(out);
        File data = new File(System.getProperty("quillpod.dir"), "data" + File.separator + "note.txt");
        if (data.exists()) {
            System.out.println("note=" + new String(Files.readAllBytes(data.toPath()), "UTF-8"));
        }
        if (args.length == 2 && args[0].equals("exit")) {
            System.exit(Integer.parseInt(args[1]));
        }
    }
}
