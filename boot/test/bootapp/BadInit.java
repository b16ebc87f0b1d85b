package bootapp;

/** An application whose class cannot be set up: its static initialiser fails. */
public class BadInit {
    static final Object SCREEN = open();

    private static Object open() {
        throw new IllegalStateException("no display here", new UnsupportedOperationException("headless"));
    }

    public static void main(String[] args) {
        System.out.println(SCREEN);
    }
}
