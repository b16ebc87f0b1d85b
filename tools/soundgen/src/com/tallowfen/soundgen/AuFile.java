package com.tallowfen.soundgen;

import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.Path;

/** Sun audio files as the game's player reads them: 8-bit mu-law, 8,000 Hz, one channel, 28-byte header. */
final class AuFile {
    static final int HEADER_SIZE = 28;
    static final int ENCODING_MULAW_8 = 1;
    static final int SAMPLE_RATE = 8000;

    private AuFile() {
    }

    /** The whole file: header (".snd", offset, size, encoding, rate, channels, empty annotation), then data. */
    static byte[] bytes(byte[] mulaw) {
        ByteArrayOutputStream buffer = new ByteArrayOutputStream(HEADER_SIZE + mulaw.length);
        try (DataOutputStream out = new DataOutputStream(buffer)) {
            out.writeInt(0x2e736e64);
            out.writeInt(HEADER_SIZE);
            out.writeInt(mulaw.length);
            out.writeInt(ENCODING_MULAW_8);
            out.writeInt(SAMPLE_RATE);
            out.writeInt(1);
            out.writeInt(0);
            out.write(mulaw);
        } catch (IOException e) {
            throw new IllegalStateException("writing to memory cannot fail", e);
        }
        return buffer.toByteArray();
    }

    /** Writes the file through a temporary sibling, so an interrupted run never leaves half a sound. */
    static void write(Path file, byte[] mulaw) throws IOException {
        Path partial = file.resolveSibling(file.getFileName() + ".part");
        try (OutputStream out = Files.newOutputStream(partial)) {
            out.write(bytes(mulaw));
        }
        Files.move(partial, file, java.nio.file.StandardCopyOption.REPLACE_EXISTING,
                java.nio.file.StandardCopyOption.ATOMIC_MOVE);
    }
}
