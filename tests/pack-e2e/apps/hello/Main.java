package hello;

import java.io.InputStream;
import java.lang.reflect.Field;

/** A jar's main class: its arguments, a resource of its jar, a look inside java.lang its manifest opens. */
public class Main {
    public static void main(String[] args) throws Exception {
        for (String a : args) {
            System.out.println("[" + a + "]");
        }
        InputStream in = Main.class.getResourceAsStream("/hello/greeting.txt");
        byte[] buffer = new byte[100];
        int n = in.read(buffer);
        System.out.println(new String(buffer, 0, n, "UTF-8").trim());
        Field value = String.class.getDeclaredField("value");
        value.setAccessible(true);  // needs java.base/java.lang opened
        System.out.println("opened " + (value.get("abc") != null));
        System.out.flush();
        System.err.println("on the error stream");
        System.exit(args.length > 0 && args[0].equals("exit") ? Integer.parseInt(args[1]) : 0);
    }
}
