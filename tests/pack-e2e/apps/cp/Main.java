package cp;

/** Needs a class of the jar its manifest's Class-Path names. */
public class Main {
    public static void main(String[] args) {
        System.out.println(cp.lib.Greeter.greet(args.length > 0 ? args[0] : "nobody"));
        System.exit(7);
    }
}
