package com.tallowfen.standin.audio;

/** Delivers the samples of a clip over and over, without end. A clip without samples ends at once. */
public class ContinuousAudioDataStream extends AudioDataStream {

    public ContinuousAudioDataStream(AudioData data) {
        super(data);
    }

    @Override
    boolean rewind() {
        if (data.start >= data.end) {
            return false;
        }
        position = data.start;
        return true;
    }
}
