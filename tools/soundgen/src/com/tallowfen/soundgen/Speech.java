package com.tallowfen.soundgen;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.List;

/** Spoken lines from the espeak-ng synthesiser, brought to the working rate. */
final class Speech {
    private final String espeak;

    /** espeak is the path of the espeak-ng program. */
    Speech(String espeak) {
        this.espeak = espeak;
    }

    /** The text spoken with the given espeak-ng voice, pitch (0-99) and speed (words per minute). */
    double[] say(String text, String voice, int pitch, int speed) throws IOException {
        List<String> command = new ArrayList<>();
        command.add(espeak);
        command.add("-v");
        command.add(voice);
        command.add("-p");
        command.add(Integer.toString(pitch));
        command.add("-s");
        command.add(Integer.toString(speed));
        command.add("--stdout");
        command.add(text);
        Process process;
        try {
            process = new ProcessBuilder(command).redirectError(ProcessBuilder.Redirect.INHERIT).start();
        } catch (IOException e) {
            throw new IOException("cannot run " + espeak + " (install the Debian package espeak-ng): "
                    + e.getMessage(), e);
        }
        byte[] wav = readAll(process.getInputStream());
        try {
            int status = process.waitFor();
            if (status != 0) {
                throw new IOException(espeak + " failed with status " + status);
            }
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new IOException("interrupted while waiting for " + espeak, e);
        }
        return resample(wav);
    }

    private static byte[] readAll(InputStream in) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        byte[] chunk = new byte[8192];
        for (int n; (n = in.read(chunk)) > 0;) {
            out.write(chunk, 0, n);
        }
        return out.toByteArray();
    }

    /** Reads a 16-bit mono RIFF WAVE and resamples it to the working rate. */
    static double[] resample(byte[] wav) throws IOException {
        ByteBuffer b = ByteBuffer.wrap(wav).order(ByteOrder.LITTLE_ENDIAN);
        if (wav.length < 12 || b.getInt(0) != 0x46464952 || b.getInt(8) != 0x45564157) {
            throw new IOException("espeak-ng did not produce a WAVE file");
        }
        int rate = 0;
        int pos = 12;
        while (pos + 8 <= wav.length) {
            int id = b.getInt(pos);
            int size = b.getInt(pos + 4);
            if (id == 0x20746d66) {
                if (b.getShort(pos + 8) != 1 || b.getShort(pos + 10) != 1 || b.getShort(pos + 22) != 16) {
                    throw new IOException("espeak-ng output is not 16-bit mono PCM");
                }
                rate = b.getInt(pos + 12);
            } else if (id == 0x61746164) {
                // Written to a pipe, the data size may be a placeholder: trust the bytes that came.
                int length = (int) StrictMath.min(Integer.toUnsignedLong(size), wav.length - pos - 8L) / 2;
                double[] pcm = new double[length];
                for (int i = 0; i < length; i++) {
                    pcm[i] = b.getShort(pos + 8 + 2 * i) / 32768.0;
                }
                if (rate == 0) {
                    throw new IOException("espeak-ng output has no format chunk");
                }
                return toWorkingRate(pcm, rate);
            }
            pos += 8 + size + (size & 1);
        }
        throw new IOException("espeak-ng output has no data chunk");
    }

    /** Windowed-sinc interpolation from rate to the working rate. */
    private static double[] toWorkingRate(double[] x, int rate) {
        int half = 24;
        double step = (double) rate / Dsp.RATE;
        double fc = StrictMath.min(0.5, 0.5 * Dsp.RATE / rate) * 0.95;
        double[] out = new double[(int) (x.length / step)];
        for (int n = 0; n < out.length; n++) {
            double t = n * step;
            int centre = (int) StrictMath.floor(t);
            double s = 0;
            for (int k = centre - half + 1; k <= centre + half; k++) {
                if (k < 0 || k >= x.length) {
                    continue;
                }
                double d = t - k;
                double sinc = d == 0 ? 2 * fc : StrictMath.sin(2 * StrictMath.PI * fc * d) / (StrictMath.PI * d);
                double w = 0.5 + 0.5 * StrictMath.cos(StrictMath.PI * d / half);
                s += x[k] * sinc * w;
            }
            out[n] = s;
        }
        return out;
    }
}
