package names;

import java.io.File;
import java.io.InputStream;
import java.net.URLDecoder;

/** Names beyond ASCII: the jar it runs from, and a resource of its package. */
public class Main {
    public static void main(String[] args) throws Exception {
        String from = URLDecoder.decode(Main.class.getProtectionDomain().getCodeSource().getLocation().getPath(),
                "UTF-8");
        System.out.println(from.endsWith(".jar") ? "from " + new File(from).getName() : "from a folder");
        InputStream in = Main.class.getResourceAsStream("/names/gr\u00fc\u00dfe \u20ac.txt");
        if (in == null) {
            System.out.println("no resource");
            System.exit(3);
        }
        byte[] buffer = new byte[100];
        int n = in.read(buffer);
        System.out.println(new String(buffer, 0, n, "UTF-8").trim());
    }
}
