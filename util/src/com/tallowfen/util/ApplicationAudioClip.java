package com.tallowfen.util;

import com.tallowfen.standin.audio.AudioData;
import com.tallowfen.standin.audio.AudioDataStream;
import com.tallowfen.standin.audio.AudioPlayer;
import com.tallowfen.standin.audio.ContinuousAudioDataStream;
import java.io.FileInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.util.Arrays;

/**
 * A sound effect held wholly in memory, played any number of times at once on
 * the shared player. A file or address that cannot be read gives an invalid
 * clip, which plays nothing.
 */
public class ApplicationAudioClip {

    static final int FIRST_BUFFER = 32768;
    static final int BUFFER_STEP = 8192;
    /** A zero sample in 8-bit mu-law. */
    private static final byte MU_LAW_ZERO = 0x7f;
    private static final int SILENCE_LENGTH = 100;

    /**
     * A clip whose reading discarded at least this many bytes of buffers
     * has them reclaimed at once. Below it a full collection costs far more
     * time than the memory is worth: one per clip was most of the game's
     * start-up.
     */
    static final int COLLECT_AFTER_DISCARDING = 1 << 20;

    /** Reclaims memory at once; a test counts the requests instead. */
    static Runnable collector = System::gc;

    /** Where playbacks go: the shared player, unless a test hands in one of its own. */
    static AudioPlayer player = AudioPlayer.player;

    byte[] soundBuffer;
    AudioData audioData;

    public ApplicationAudioClip(URL address) {
        if (address == null) {
            return;
        }
        InputStream in;
        try {
            in = address.openStream();
        } catch (IOException e) {
            return;
        }
        readAudioData(in);
    }

    public ApplicationAudioClip(String fileName) {
        if (fileName == null) {
            return;
        }
        InputStream in;
        try {
            in = new FileInputStream(fileName);
        } catch (IOException e) {
            return;
        }
        readAudioData(in);
    }

    /** Reads the whole stream into the clip and closes it; a read error leaves the clip invalid. */
    protected void readAudioData(InputStream in) {
        byte[] buffer;
        int length;
        long discarded = 0;
        try {
            try {
                buffer = new byte[FIRST_BUFFER];
                length = 0;
                int n;
                while ((n = in.read(buffer, length, buffer.length - length)) >= 0) {
                    length += n;
                    if (length == buffer.length) {
                        discarded += buffer.length;
                        buffer = Arrays.copyOf(buffer, buffer.length + BUFFER_STEP);
                    }
                }
            } finally {
                in.close();
            }
        } catch (IOException e) {
            soundBuffer = null;
            audioData = null;
            return;
        }
        if (length < buffer.length) {
            discarded += buffer.length;
            buffer = Arrays.copyOf(buffer, length);
        }
        soundBuffer = buffer;
        audioData = new AudioData(soundBuffer);
        // Free large discarded growth buffers before the next clip is read.
        if (discarded >= COLLECT_AFTER_DISCARDING) {
            collector.run();
        }
    }

    public boolean isValid() {
        return soundBuffer != null && audioData != null;
    }

    /** Starts one more playback from the start, mixed with whatever is playing. */
    public void play() {
        if (isValid()) {
            player.start(new AudioDataStream(audioData));
        }
    }

    /** Starts an endless repetition of the clip. */
    public void loop() {
        if (isValid()) {
            player.start(new ContinuousAudioDataStream(audioData));
        }
    }

    /** Starts one more endless stream of silence, which keeps the sound device busy. */
    public static void loopSilence() {
        byte[] silence = new byte[SILENCE_LENGTH];
        Arrays.fill(silence, MU_LAW_ZERO);
        player.start(new ContinuousAudioDataStream(new AudioData(silence)));
    }
}
