import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.net.URISyntaxException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.zip.GZIPOutputStream;

/** Builds executables and archives byte by byte, and runs the boot stage in a child VM. */
final class BootFixture {
    private BootFixture() {}

    static byte[] latin1(String s) {
        return s.getBytes(StandardCharsets.ISO_8859_1);
    }

    static void putInt(ByteArrayOutputStream out, int v) {
        for (int i = 0; i < 4; i++) {
            out.write(v >>> (8 * i));
        }
    }

    /** A launcher stand-in followed by records on the 16-byte grid with FF filler. */
    static final class Exe {
        final ByteArrayOutputStream out = new ByteArrayOutputStream();

        Exe(int imageSize) {
            out.write(new byte[imageSize], 0, imageSize);
        }

        Exe record(char type, byte[] data) {
            return recordClaiming(type, data.length, data);
        }

        /** A record whose length field says claimed, whatever data follows. */
        Exe recordClaiming(char type, int claimed, byte[] data) {
            while (out.size() % 16 != 0) {
                out.write(0xFF);
            }
            for (int k = 0; k < 15; k++) {
                out.write(74 + 3 * k / 2);
            }
            out.write(type);
            putInt(out, claimed);
            out.write(data, 0, data.length);
            return this;
        }

        byte[] bytes() {
            return out.toByteArray();
        }

        Path write(Path file) throws IOException {
            return Files.write(file, bytes());
        }
    }

    /** The configuration text with its closing NUL. */
    static byte[] config(String text) {
        return latin1(text + "\0");
    }

    /** An archive body, entry by entry. */
    static final class Archive {
        final ByteArrayOutputStream out = new ByteArrayOutputStream();

        Archive add(String name, byte[] content) {
            return addTagged(0xEADC12F0, latin1(name), content);
        }

        Archive add(String name, String content) {
            return add(name, content.getBytes(StandardCharsets.UTF_8));
        }

        Archive addTagged(int tag, byte[] name, byte[] content) {
            putInt(out, tag);
            out.write(name.length);
            out.write(name, 0, name.length);
            out.write(0);
            putInt(out, content.length);
            out.write(content, 0, content.length);
            return this;
        }

        Archive raw(int... bytes) {
            for (int b : bytes) {
                out.write(b);
            }
            return this;
        }

        byte[] body() {
            return out.toByteArray();
        }

        /** Data of record Z: the size prefix and the gzip stream. */
        byte[] record() {
            return zData(body().length, gzip(body()));
        }
    }

    static byte[] zData(int prefix, byte[] gz) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        putInt(out, prefix);
        out.write(gz, 0, gz.length);
        return out.toByteArray();
    }

    static byte[] gzip(byte[] data) {
        try {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            try (GZIPOutputStream gz = new GZIPOutputStream(out)) {
                gz.write(data);
            }
            return out.toByteArray();
        } catch (IOException e) {
            throw new AssertionError(e);
        }
    }

    /** The compiled bytes of a test application class. */
    static byte[] classBytes(Class<?> c) {
        String name = c.getName().replace('.', '/') + ".class";
        try (InputStream in = c.getClassLoader().getResourceAsStream(name)) {
            return in.readAllBytes();
        } catch (IOException e) {
            throw new AssertionError(e);
        }
    }

    /**
     * A class file of the given binary name (with slashes) whose static
     * main returns a reference although it is void: it loads, but the VM's
     * verifier rejects it.
     */
    static byte[] unverifiableClass(String name) {
        try {
            ByteArrayOutputStream bytes = new ByteArrayOutputStream();
            java.io.DataOutputStream out = new java.io.DataOutputStream(bytes);
            out.writeInt(0xCAFEBABE);
            out.writeShort(0);
            out.writeShort(49);  // before stack maps: the VM runs its full verifier
            String[] utf8 = {name, null, "java/lang/Object", null, "main", "([Ljava/lang/String;)V", "Code"};
            out.writeShort(utf8.length + 1);
            for (int i = 0; i < utf8.length; i++) {
                if (utf8[i] == null) {
                    out.writeByte(7);  // the class whose name is the entry before
                    out.writeShort(i);
                } else {
                    out.writeByte(1);
                    out.writeUTF(utf8[i]);
                }
            }
            out.writeShort(0x21);
            out.writeShort(2);
            out.writeShort(4);
            out.writeShort(0);
            out.writeShort(0);
            out.writeShort(1);
            out.writeShort(0x9);
            out.writeShort(5);
            out.writeShort(6);
            out.writeShort(1);
            out.writeShort(7);
            out.writeInt(14);
            out.writeShort(1);
            out.writeShort(1);
            out.writeInt(2);
            out.writeByte(0x01);  // aconst_null
            out.writeByte(0xB0);  // areturn
            out.writeShort(0);
            out.writeShort(0);
            out.writeShort(0);
            out.flush();
            return bytes.toByteArray();
        } catch (IOException e) {
            throw new AssertionError(e);
        }
    }

    /** The archive name of a test application class. */
    static String className(Class<?> c) {
        return c.getName().replace('.', '\\') + ".class";
    }

    /** How a child VM ended. */
    record Run(int code, String output) {}

    /**
     * Runs the boot stage the way the launcher does: the workspace on the
     * class path and in quillpod.dir, the executable and the user's
     * arguments as program arguments.
     */
    static Run boot(Path workspace, List<String> programArgs) throws Exception {
        return boot(workspace, programArgs, List.of());
    }

    /** The same, with the VM's command line handed to the wrapper command as its last arguments. */
    static Run boot(Path workspace, List<String> programArgs, List<String> wrapper) throws Exception {
        return boot(workspace, programArgs, wrapper, null);
    }

    /** A run whose standard error is kept apart: its output holds standard output alone. */
    record ApartRun(int code, String output, String error) {}

    /** Runs the boot stage with its standard output and standard error apart. */
    static ApartRun bootApart(Path workspace, List<String> programArgs) throws Exception {
        StringBuilder error = new StringBuilder();
        Run run = boot(workspace, programArgs, List.of(), error);
        return new ApartRun(run.code(), run.output(), error.toString());
    }

    private static Run boot(Path workspace, List<String> programArgs, List<String> wrapper, StringBuilder error)
            throws Exception {
        String bootDir;
        try {
            bootDir = new File(quillpodboot.class.getProtectionDomain().getCodeSource().getLocation().toURI())
                    .getPath();
        } catch (URISyntaxException e) {
            throw new AssertionError(e);
        }
        List<String> cmd = new ArrayList<>(wrapper);
        cmd.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
        cmd.add("-Xshare:auto");
        cmd.add("-cp");
        cmd.add(workspace == null ? bootDir : bootDir + File.pathSeparator + workspace);
        if (workspace != null) {
            cmd.add("-Dquillpod.dir=" + workspace);
        }
        cmd.add("quillpodboot");
        cmd.addAll(programArgs);
        Path errorFile = error == null ? null : Files.createTempFile("quillpodboot", ".err");
        ProcessBuilder builder = new ProcessBuilder(cmd);
        if (errorFile == null) {
            builder.redirectErrorStream(true);
        } else {
            builder.redirectError(errorFile.toFile());
        }
        Process p = builder.start();
        String output = new String(p.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        if (!p.waitFor(60, TimeUnit.SECONDS)) {
            p.destroyForcibly();
            throw new AssertionError("the boot stage did not end");
        }
        if (errorFile != null) {
            error.append(Files.readString(errorFile));
            Files.delete(errorFile);
        }
        return new Run(p.exitValue(), output);
    }
}
