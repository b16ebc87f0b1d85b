package bootapp;

/** A main class whose superclass the tests leave out of the archive. */
public class Child extends Parent {
    public static void main(String[] args) {}
}
