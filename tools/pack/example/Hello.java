/** The packer's example application: greets whoever its argument names. */
public class Hello {
    public static void main(String[] args) {
        System.out.println("Hello, " + (args.length > 0 ? args[0] : "world") + "!");
    }
}
