package cp.lib;

/** Lives in a jar of its own, beside the main jar. */
public class Greeter {
    public static String greet(String who) {
        return "greetings, " + who;
    }
}
