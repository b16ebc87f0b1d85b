import java.io.BufferedReader;
import java.io.FileOutputStream;
import java.io.InputStreamReader;
import java.io.OutputStreamWriter;
import java.io.Writer;

// A command-line application for the tests on a real runtime under wine:
// writes the system it runs on and then its arguments after the first two,
// one a line ("-" stands for standard input's first line), to the file
// named first; says a line on each standard stream;
// ends with the exit code named second.
public class WineProbe {
    public static void main(String[] args) throws Exception {
        try (Writer w = new OutputStreamWriter(new FileOutputStream(args[0]), "UTF-8")) {
            w.write("os.name=" + System.getProperty("os.name") + "\n");
            for (int i = 2; i < args.length; i++) {
                // Standard input's first line in place of the word "-".
                String arg = args[i].equals("-")
                        ? new BufferedReader(new InputStreamReader(System.in, "UTF-8")).readLine() : args[i];
                w.write(arg + "\n");
            }
        }
        System.out.println("probe: on standard output");
        System.err.println("probe: on standard error");
        System.exit(Integer.parseInt(args[1]));
    }
}
