package bootapp;

/** An application whose main fails at once. */
public class Thrower {
    public static void main(String[] args) {
        throw new IllegalStateException("thrown by the application");
    }
}
