import com.tallowfen.standin.audio.AudioData;
import com.tallowfen.standin.audio.AudioDataStream;
import com.tallowfen.standin.audio.AudioMixer;
import com.tallowfen.standin.audio.ContinuousAudioDataStream;
import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;
import java.util.Arrays;
import java.util.Random;

/** CPU cost of the sound mixer against real time; see CMakeLists.txt beside it. */
public final class MixerBench {

    private static final int RATE = 8000;
    private static final int SECONDS = 10;
    private static final int CHUNK = 80;
    private static final int STREAMS = 16;
    private static final int WARM_UPS = 3;
    private static final int RUNS = 7;
    /** Each measurement mixes the 10 seconds this many times over, to rise above timer noise. */
    private static final int REPEATS = 20;

    /** Keeps the mix observable, so the compiler cannot drop it. */
    static volatile long sink;

    private MixerBench() {
    }

    public static void main(String[] args) {
        ThreadMXBean threads = ManagementFactory.getThreadMXBean();
        if (!threads.isCurrentThreadCpuTimeSupported()) {
            System.out.println("This VM cannot measure thread CPU time.");
            return;
        }
        threads.setThreadCpuTimeEnabled(true);
        Random random = new Random(1225);
        AudioData[] longClips = new AudioData[STREAMS / 2];
        AudioData[] loops = new AudioData[STREAMS / 2];
        for (int i = 0; i < STREAMS / 2; i++) {
            longClips[i] = new AudioData(noise(random, (SECONDS + 1) * RATE));
            loops[i] = new AudioData(noise(random, 1000 + 373 * i));
        }
        AudioData silence = new AudioData(filled(100, (byte) 0x7f));

        for (int i = 0; i < WARM_UPS; i++) {
            mixBusy(threads, longClips, loops);
            mixSilence(threads, silence);
        }
        long[] busy = new long[RUNS];
        long[] idle = new long[RUNS];
        for (int i = 0; i < RUNS; i++) {
            busy[i] = mixBusy(threads, longClips, loops);
            idle[i] = mixSilence(threads, silence);
        }
        report(median(busy), median(idle));
    }

    /** CPU nanoseconds to mix 10 s of the 16 streams, averaged over the repeats. */
    private static long mixBusy(ThreadMXBean threads, AudioData[] longClips, AudioData[] loops) {
        long nanos = 0;
        for (int r = 0; r < REPEATS; r++) {
            AudioMixer mixer = new AudioMixer();
            for (int i = 0; i < longClips.length; i++) {
                mixer.add(new AudioDataStream(longClips[i]));
                mixer.add(new ContinuousAudioDataStream(loops[i]));
            }
            nanos += mixFor(threads, mixer);
            if (mixer.streamCount() != STREAMS) {
                throw new IllegalStateException("streams ended early: " + mixer.streamCount());
            }
        }
        return nanos / REPEATS;
    }

    /** CPU nanoseconds to mix 10 s of the one silent stream, averaged over the repeats. */
    private static long mixSilence(ThreadMXBean threads, AudioData silence) {
        long nanos = 0;
        for (int r = 0; r < REPEATS; r++) {
            AudioMixer mixer = new AudioMixer();
            mixer.add(new ContinuousAudioDataStream(silence));
            nanos += mixFor(threads, mixer);
        }
        return nanos / REPEATS;
    }

    /** CPU nanoseconds spent mixing the given seconds of audio, a chunk at a time. */
    private static long mixFor(ThreadMXBean threads, AudioMixer mixer) {
        short[] chunk = new short[CHUNK];
        long checksum = 0;
        long start = threads.getCurrentThreadCpuTime();
        for (int done = 0; done < SECONDS * RATE; done += CHUNK) {
            mixer.render(chunk, 0, CHUNK);
            checksum += chunk[CHUNK - 1];
        }
        long spent = threads.getCurrentThreadCpuTime() - start;
        sink = checksum;
        return spent;
    }

    private static void report(long busy, long idle) {
        double realNanos = SECONDS * 1e9;
        System.out.printf("Mixing %d streams for %d s of audio: %.3f ms CPU, %.4f%% of real time (goal: under 1%%)%n",
            STREAMS, SECONDS, busy / 1e6, 100 * busy / realNanos);
        System.out.printf("Baseline, 1 silent stream:           %.3f ms CPU, %.4f%% of real time%n",
            idle / 1e6, 100 * idle / realNanos);
        System.out.printf("Ratio %d streams / baseline: %.2f (median of %d runs of %d x %d s after %d warm-ups)%n",
            STREAMS, (double) busy / idle, RUNS, REPEATS, SECONDS, WARM_UPS);
    }

    private static byte[] noise(Random random, int length) {
        byte[] b = new byte[length];
        random.nextBytes(b);
        return b;
    }

    private static byte[] filled(int length, byte value) {
        byte[] b = new byte[length];
        Arrays.fill(b, value);
        return b;
    }

    private static long median(long[] values) {
        long[] sorted = values.clone();
        Arrays.sort(sorted);
        return sorted[sorted.length / 2];
    }
}
