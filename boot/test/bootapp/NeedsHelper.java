package bootapp;

/** A main class with a method that names Helper, which the tests leave out of the archive. */
public class NeedsHelper {
    public static void main(String[] args) {}

    public static void use(Helper helper) {}
}
