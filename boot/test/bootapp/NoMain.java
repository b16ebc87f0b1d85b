package bootapp;

/** A class without a main method. */
public class NoMain {
    public static void start(String[] args) {}
}
