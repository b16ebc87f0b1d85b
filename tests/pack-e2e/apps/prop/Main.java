package prop;

/** Needs the system property app.home, as applications with a -D option do. */
public class Main {
    public static void main(String[] args) {
        String home = System.getProperty("app.home");
        if (home == null) {
            System.out.println("no app.home");
            System.exit(3);
        }
        System.out.println("app.home=" + home);
    }
}
