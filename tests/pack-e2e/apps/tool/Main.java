package tool;

/** A command-line tool: data on standard output, messages on standard error, an exit status. */
public class Main {
    public static void main(String[] args) throws Exception {
        System.out.println("data " + args.length);
        System.out.flush();
        System.err.println("tool: a message");
        if (args.length > 0 && args[0].equals("throw")) {
            throw new IllegalStateException("the tool fails on purpose");
        }
        System.exit(args.length > 0 ? Integer.parseInt(args[0]) : 0);
    }
}
