package home;

import java.io.BufferedReader;
import java.io.File;
import java.io.FileInputStream;
import java.io.InputStreamReader;

/**
 * Looks for its files in the folder the property app.home names and beside
 * its jar, as applications that carry folders of resources do.
 */
public class Main {
    public static void main(String[] args) throws Exception {
        String home = System.getProperty("app.home");
        System.out.println(read(new File(home, "data/greeting.txt")));
        File jar = new File(Main.class.getProtectionDomain().getCodeSource().getLocation().toURI());
        System.out.println(read(new File(jar.getParentFile(), "keymaps/default.txt")));
    }

    private static String read(File file) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(new FileInputStream(file), "UTF-8"));
        try {
            return file.getParentFile().getName() + ": " + in.readLine();
        } finally {
            in.close();
        }
    }
}
