package com.tallowfen.standin.audio;

import java.io.InputStream;
import java.io.PrintStream;

/**
 * The one shared sound player: mixes every started stream of 8-bit mu-law,
 * 8,000 samples a second, one channel, onto the sound device from a daemon
 * thread of its own. Without a device it stays silent, says so once, and
 * drops whatever it is given.
 */
public final class AudioPlayer {

    /** Samples mixed and written at a time: 10 ms. */
    static final int CHUNK = 80;

    public static final AudioPlayer player = new AudioPlayer(new LineSink(), System.err);

    private final AudioMixer mixer;
    private final SampleSink sink;
    private final PrintStream log;
    private Thread thread;
    private volatile boolean silent;

    AudioPlayer(SampleSink sink, PrintStream log) {
        this.mixer = new AudioMixer();
        this.sink = sink;
        this.log = log;
    }

    /**
     * A player without a device or thread of its own: started streams only
     * join the given mixer, for whoever renders it (checks, measurements).
     */
    public static AudioPlayer offline(AudioMixer mixer) {
        return new AudioPlayer(mixer);
    }

    private AudioPlayer(AudioMixer mixer) {
        this.mixer = mixer;
        this.sink = null;
        this.log = null;
    }

    /** Adds a stream to the set being played; it plays until it ends by itself. */
    public void start(InputStream stream) {
        if (stream == null || silent) {
            return;
        }
        mixer.add(stream);
        if (sink == null) {
            return;
        }
        if (silent) {
            // The device went away while the stream was being added.
            mixer.clear();
            return;
        }
        ensureThread();
    }

    /** True once the player has found it cannot play anything. */
    public boolean isSilent() {
        return silent;
    }

    AudioMixer mixer() {
        return mixer;
    }

    synchronized Thread thread() {
        return thread;
    }

    private synchronized void ensureThread() {
        if (thread == null) {
            thread = new Thread(this::run, "Audio player");
            thread.setDaemon(true);
            thread.setPriority(Thread.MAX_PRIORITY);
            thread.start();
        }
    }

    private void run() {
        try {
            sink.open();
            play();
        } catch (InterruptedException e) {
            // Only a shutdown interrupts this thread: stop playing without a word.
            goSilent(null);
        } catch (Exception | LinkageError e) {
            goSilent(e);
        } finally {
            sink.close();
        }
    }

    /** Mixes and writes for ever, resting while nothing plays. */
    private void play() throws InterruptedException {
        short[] chunk = new short[CHUNK];
        while (true) {
            mixer.awaitStream();
            sink.awaitRoom(CHUNK);
            mixer.render(chunk, 0, CHUNK);
            sink.write(chunk, CHUNK);
        }
    }

    private void goSilent(Throwable cause) {
        silent = true;
        mixer.clear();
        if (cause != null) {
            String reason = cause.getMessage();
            log.println("No sound: " + (reason != null ? reason : cause.toString()));
        }
    }
}
