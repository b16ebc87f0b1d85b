package heap;

/** Holds as many megabytes at once as its argument says. */
public class Main {
    public static void main(String[] args) {
        int megabytes = Integer.parseInt(args[0]);
        byte[][] held = new byte[megabytes][];
        for (int i = 0; i < megabytes; i++) {
            held[i] = new byte[1 << 20];
            held[i][i % 1000] = 1;
        }
        System.out.println("held " + held.length + " MB");
    }
}
