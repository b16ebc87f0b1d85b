package com.tallowfen.hollyblitz;

import java.io.DataInputStream;
import java.io.FileInputStream;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Collections;
import java.util.HashMap;
import java.util.List;
import java.util.Map;

/**
 * Listens to a recording of the game's sound output (16-bit little-endian,
 * 8,000 samples a second, one channel) against the log of the sounds the
 * game started: finds each gun shot and each hit sound at the moment it was
 * started by cross-correlating the recording with the start of its sound
 * file, and follows the looping bells from one repetition to the next, which
 * must come exactly one loop apart to the end of the recording: a gap from an
 * underrun would push them later. With the times the recording's blocks
 * came in, it also measures how long after the game started a sound it is
 * heard. And no sample may reach full scale: the player limits its mix
 * before it would clip. Prints what it found; exits with 1 when something
 * is missing or clipped.
 *
 * usage: SoundCheck <recording> <recording times> <sound log> <folder holding XmasSounds>
 */
public final class SoundCheck {

    static final int RATE = 8000;
    /** Samples of a sound's start that identify it: 80 ms. */
    static final int ATTACK = 640;
    /** Samples of a sound used to tell whether it plays at a moment: up to 0.4 s. */
    static final int WHOLE = RATE * 2 / 5;
    /**
     * How far a sound may stray from where the game's timing puts it: the
     * device's queue fills and drains, and after an underrun the player's
     * queue grows (by 60 ms at most), moving every later sound.
     */
    static final int SLACK = RATE * 100 / 1000;
    /** A moment where a hit sound does not start. */
    static final int WRONG = RATE * 300 / 1000;
    /**
     * The least gain at which a shot or a hit counts as heard where played:
     * while many sounds play at once the mixer's limiter turns the whole mix
     * down, to about two thirds when a few hits come together on a busy
     * machine. A sound that is missing shows a gain of 0.25 or less.
     */
    static final double FOUND = 0.5;
    static final boolean VERBOSE = Boolean.getBoolean("soundcheck.verbose");

    private final double[] x;
    /** Each sound file's samples, read once. */
    private final Map<Integer, double[]> sounds = new HashMap<Integer, double[]>();
    /** Running sums of x squared, for the energy of any window. */
    private final double[] energy;

    SoundCheck(double[] recording) {
        x = recording;
        energy = new double[x.length + 1];
        for (int i = 0; i < x.length; i++) {
            energy[i + 1] = energy[i] + x[i] * x[i];
        }
    }

    /** Normalised cross-correlation of the template with the recording at sample k; 0 outside it. */
    double ncc(double[] t, double tNorm, int k) {
        if (k < 0 || k + t.length > x.length) {
            return 0;
        }
        double dot = 0;
        for (int i = 0; i < t.length; i++) {
            dot += x[k + i] * t[i];
        }
        double e = energy[k + t.length] - energy[k];
        return e <= 0 ? 0 : dot / (tNorm * Math.sqrt(e));
    }

    /**
     * How strongly the template is present at sample k: the least-squares
     * gain of the template in the recording there. Sounds are mixed by plain
     * addition, so a sound that plays there gives about 1, whatever else
     * plays with it; a sound that does not gives about 0.
     */
    double gain(double[] t, double tEnergy, int k) {
        if (k < 0 || k + t.length > x.length) {
            return 0;
        }
        double dot = 0;
        for (int i = 0; i < t.length; i++) {
            dot += x[k + i] * t[i];
        }
        return dot / tEnergy;
    }

    /** The gain closest to 1 within `slack` samples of k. */
    double bestGain(double[] t, int k, int slack) {
        double tEnergy = norm(t) * norm(t);
        double best = 0;
        for (int j = k - slack; j <= k + slack; j++) {
            double g = gain(t, tEnergy, j);
            if (Math.abs(g - 1) < Math.abs(best - 1)) {
                best = g;
            }
        }
        return best;
    }

    /** The best correlation within `slack` samples of k, and where: {value, position}. */
    double[] best(double[] t, int k, int slack) {
        double tNorm = norm(t);
        double bestValue = -1;
        int bestAt = k;
        for (int j = k - slack; j <= k + slack; j++) {
            double v = ncc(t, tNorm, j);
            if (v > bestValue) {
                bestValue = v;
                bestAt = j;
            }
        }
        return new double[] {bestValue, bestAt};
    }

    static double norm(double[] t) {
        double s = 0;
        for (double v : t) {
            s += v * v;
        }
        return Math.sqrt(s);
    }

    /** The samples of an AU file in 8-bit mu-law, as linear values. */
    static double[] readAu(String path) throws IOException {
        try (DataInputStream in = new DataInputStream(new FileInputStream(path))) {
            if (in.readInt() != 0x2e736e64) {
                throw new IOException(path + " is not an AU file");
            }
            int offset = in.readInt();
            in.readInt();
            int encoding = in.readInt();
            int rate = in.readInt();
            int channels = in.readInt();
            if (encoding != 1 || rate != RATE || channels != 1) {
                throw new IOException(path + ": not 8 kHz mono mu-law");
            }
            in.skipBytes(offset - 24);
            byte[] data = in.readAllBytes();
            double[] out = new double[data.length];
            for (int i = 0; i < data.length; i++) {
                out[i] = muLaw(data[i] & 0xff);
            }
            return out;
        }
    }

    private static int muLaw(int b) {
        int u = ~b & 0xff;
        int magnitude = (((u & 0x0f) << 3) + 0x84) << ((u & 0x70) >> 4);
        return (u & 0x80) != 0 ? 0x84 - magnitude : magnitude - 0x84;
    }

    static double[] head(double[] sound, int n) {
        double[] t = new double[Math.min(n, sound.length)];
        System.arraycopy(sound, 0, t, 0, t.length);
        return t;
    }

    public static void main(String[] args) throws IOException {
        byte[] raw = Files.readAllBytes(Paths.get(args[0]));
        List<long[]> times = new ArrayList<long[]>();
        for (String line : Files.readAllLines(Paths.get(args[1]))) {
            String[] f = line.trim().split(" ");
            if (f.length == 2) {
                times.add(new long[] {Long.parseLong(f[0]), Long.parseLong(f[1])});
            }
        }
        List<long[]> events = new ArrayList<long[]>();
        for (String line : Files.readAllLines(Paths.get(args[2]))) {
            String[] f = line.trim().split(" ");
            if (f.length == 2) {
                events.add(new long[] {Long.parseLong(f[0]), Long.parseLong(f[1])});
            }
        }
        String folder = args[3];
        ByteBuffer bytes = ByteBuffer.wrap(raw).order(ByteOrder.LITTLE_ENDIAN);
        double[] recording = new double[raw.length / 2];
        for (int i = 0; i < recording.length; i++) {
            recording[i] = bytes.getShort();
        }
        HollyBlitz game = new HollyBlitz();
        List<String> problems = new SoundCheck(recording).check(game, times, events, folder);
        for (String p : problems) {
            System.out.println("FAIL: " + p);
        }
        System.exit(problems.isEmpty() ? 0 : 1);
    }

    private double[] sound(HollyBlitz game, String folder, int id) throws IOException {
        double[] samples = sounds.get(id);
        if (samples == null) {
            samples = readAu(new AssetFolder(folder, "XmasSounds").path(game.getSoundFileReference(id) + ".au"));
            sounds.put(id, samples);
        }
        return samples;
    }

    /** The start of each played sound, which identifies it. */
    private double[][] attacks(HollyBlitz game, String folder, List<int[]> played) throws IOException {
        double[][] templates = new double[played.size()][];
        for (int i = 0; i < templates.length; i++) {
            templates[i] = head(sound(game, folder, played.get(i)[1]), ATTACK);
        }
        return templates;
    }

    /**
     * Everything that should be heard and was not. The recording's own start
     * is not known to the millisecond, so the bells, started first, set the
     * clock: every other sound is looked for where the game's log puts it
     * relative to them.
     */
    List<String> check(HollyBlitz game, List<long[]> times, List<long[]> events, String folder)
            throws IOException {
        List<String> problems = new ArrayList<String>();
        checkClipping(problems);
        long bellsMillis = -1;
        for (long[] e : events) {
            if (e[1] == HollyBlitz.BGM) {
                bellsMillis = e[0];
            }
        }
        if (bellsMillis < 0) {
            problems.add("the bells were not started");
            return problems;
        }
        double[] bells = sound(game, folder, HollyBlitz.BGM);
        int bellsAt = bellsStart(bells);
        if (bellsAt == Integer.MIN_VALUE) {
            problems.add("the recording does not begin with the bells");
            return problems;
        }
        System.out.printf("bells started at %.3f s of the recording%n", bellsAt / (double) RATE);
        List<int[]> shots = new ArrayList<int[]>();
        List<int[]> hits = new ArrayList<int[]>();
        // The same sounds by milliseconds after the bells were started.
        List<int[]> shotTimes = new ArrayList<int[]>();
        List<int[]> hitTimes = new ArrayList<int[]>();
        for (long[] e : events) {
            int at = bellsAt + (int) ((e[0] - bellsMillis) * RATE / 1000);
            int id = (int) e[1];
            if (id == HollyBlitz.GUNFIRING) {
                shots.add(new int[] {at, id});
                shotTimes.add(new int[] {(int) (e[0] - bellsMillis), id});
            } else if (isHit(id)) {
                hits.add(new int[] {at, id});
                hitTimes.add(new int[] {(int) (e[0] - bellsMillis), id});
            }
        }
        if (hits.size() < 5) {
            problems.add("too few hits were played to listen for: " + hits.size());
            return problems;
        }
        int delay = outputDelay(game, folder, hits);
        System.out.printf("sounds heard %.1f ms after the bells' clock puts them%n", delay * 1000.0 / RATE);

        measureDelay(game, folder, times, bellsMillis, shotTimes, hitTimes);

        int[] found = count(game, folder, shots, delay, 0);
        System.out.printf("gun shots: %d of %d found where played%n", found[0], found[1]);
        if (found[1] < 20) {
            problems.add("too few shots were played to listen for: " + found[1]);
        } else if (found[0] < 0.8 * found[1]) {
            problems.add("shots heard where played: " + found[0] + " of " + found[1]);
        }
        int[] hitFound = count(game, folder, hits, delay, 0);
        int[] hitControl = count(game, folder, hits, delay, WRONG);
        System.out.printf("hit sounds: %d of %d found where played (%d at a wrong moment)%n",
            hitFound[0], hitFound[1], hitControl[0]);
        if (hitFound[0] < 0.8 * hitFound[1] || hitControl[0] > 0.3 * hitControl[1]) {
            problems.add("hit sounds heard where played: " + hitFound[0] + " of " + hitFound[1]);
        }
        checkBells(bells, bellsAt, problems);
        return problems;
    }

    /**
     * Where the bells' first loop began, in samples of the recording (before
     * its start, when the recorder came in late): found by placing a stretch
     * of the recording's first sound, the bells alone, within the loop.
     * Integer.MIN_VALUE when the recording does not begin with the bells.
     */
    int bellsStart(double[] bells) {
        int first = 0;
        while (first < x.length && x[first] == 0) {
            first++;
        }
        int from = first + RATE / 20;
        if (from + RATE / 4 > x.length) {
            return Integer.MIN_VALUE;
        }
        double[] stretch = new double[RATE / 4];
        System.arraycopy(x, from, stretch, 0, stretch.length);
        SoundCheck loop = new SoundCheck(bells);
        double[] where = loop.best(stretch, bells.length / 2, bells.length / 2);
        if (where[0] < 0.9) {
            return Integer.MIN_VALUE;
        }
        return from - (int) where[1];
    }

    private static boolean isHit(int id) {
        return (id >= HollyBlitz.ELFHIT1 && id <= HollyBlitz.ELFHIT7)
            || (id >= HollyBlitz.DEERHIT1 && id <= HollyBlitz.DEERHIT3)
            || id == HollyBlitz.PARACHUTESHREDDED || id == HollyBlitz.SLEIGHHITA || id == HollyBlitz.SLEIGHHITB
            || id == HollyBlitz.PRESENTBURST1 || id == HollyBlitz.PRESENTBURST2;
    }

    /**
     * Where the sounds are heard relative to where the bells' clock puts them.
     * The device may open seconds after the bells were started, so the search
     * is wide. The hits set it, not the shots: a held trigger fires like a
     * clock, and its shots fit equally well one period off.
     */
    private int outputDelay(HollyBlitz game, String folder, List<int[]> hits) throws IOException {
        return commonDelay(game, folder, hits.subList(0, Math.min(hits.size(), 40)), -6 * RATE, 6 * RATE);
    }

    /**
     * The delay between `from` and `to` samples that lines up the most of
     * the sounds. Each sound's own delay strays by tens of milliseconds as
     * the device's queue fills and drains, so no one delay lines them all up
     * to the sample: a fit that only adds up correlations at each delay
     * hears the few that happen to match there, and on a busy machine chance
     * elsewhere outweighed them. So the search first asks at which delays
     * the most sounds are heard within the slack of their moments, each by
     * the start of its sound at a gain that counts: at the right delay that
     * is nearly all of them, anywhere else less than half. Within the widest
     * stretch of such delays, the correlations then pick the one.
     */
    private int commonDelay(HollyBlitz game, String folder, List<int[]> played, int from, int to)
            throws IOException {
        double[][] templates = attacks(game, folder, played);
        int span = to - from + 1;
        int[] heard = new int[span];
        for (int i = 0; i < templates.length; i++) {
            double tEnergy = norm(templates[i]) * norm(templates[i]);
            int at = played.get(i)[0];
            // counted[j]: of the delays from - SLACK up to (not including) from - SLACK + j, how many count.
            int[] counted = new int[span + 2 * SLACK + 1];
            for (int j = 0; j < span + 2 * SLACK; j++) {
                counted[j + 1] = counted[j] + (counts(gain(templates[i], tEnergy, at + from - SLACK + j)) ? 1 : 0);
            }
            for (int k = 0; k < span; k++) {
                if (counted[k + 2 * SLACK + 1] > counted[k]) {
                    heard[k]++;
                }
            }
        }
        int most = 0;
        for (int h : heard) {
            most = Math.max(most, h);
        }
        int widestStart = 0;
        int widest = 0;
        for (int k = 0; k < span; k++) {
            int end = k;
            while (heard[k] == most && end + 1 < span && heard[end + 1] == most) {
                end++;
            }
            if (heard[k] == most && end - k + 1 > widest) {
                widestStart = k;
                widest = end - k + 1;
            }
            k = end;
        }
        return bestDelay(played, templates, from + widestStart, from + widestStart + widest - 1, 1);
    }

    /**
     * The delay between `from` and `to`, in steps of `step`, at which the
     * sounds' starts correlate best with the recording, all together.
     */
    private int bestDelay(List<int[]> played, double[][] templates, int from, int to, int step) {
        double[] norms = new double[templates.length];
        for (int i = 0; i < templates.length; i++) {
            norms[i] = norm(templates[i]);
        }
        int bestDelay = from;
        double bestScore = -Double.MAX_VALUE;
        for (int d = from; d <= to; d += step) {
            double score = 0;
            for (int i = 0; i < templates.length; i++) {
                score += ncc(templates[i], norms[i], played.get(i)[0] + d);
            }
            if (score > bestScore) {
                bestScore = score;
                bestDelay = d;
            }
        }
        return bestDelay;
    }

    /** Whether a sound found at this gain counts as heard: the limiter turns it down; far louder is something else. */
    private static boolean counts(double gain) {
        return gain >= FOUND && gain <= 1.25;
    }

    /** How many of the sounds are heard within the slack of their moment (moved by `shift`): {found, listened for}. */
    private int[] count(HollyBlitz game, String folder, List<int[]> played, int delay, int shift) throws IOException {
        int found = 0;
        int total = 0;
        for (int[] p : played) {
            int at = p[0] + delay + shift;
            if (at + ATTACK + SLACK >= x.length) {
                continue;
            }
            total++;
            double[] t = head(sound(game, folder, p[1]), WHOLE);
            double v = bestGain(t, at, SLACK);
            if (counts(v)) {
                found++;
            }
            if (VERBOSE) {
                System.out.printf("  sound %d at %.3f s: %.2f%n", p[1], at / (double) RATE, v);
            }
        }
        return new int[] {found, total};
    }

    /**
     * The bells must repeat one loop apart from where they started to the end
     * of the recording. A repetition that comes late shows a gap in the
     * output. Two short gaps, 0.3 s in all, are borne: a machine far busier
     * than it has cores stalls any player now and then. More is a fault, and
     * so is the silence of seconds that follows an underrun on some servers
     * when the player keeps too little queued.
     */
    /** The lowest gain at which a bells loop still counts as heard (see checkBells). */
    private static final double MIN_LIMITED_GAIN = 0.3;

    private void checkBells(double[] bells, int start, List<String> problems) {
        double[] t = head(bells, RATE / 2);
        int expected = start;
        // The recorder may have come in after the first loop began.
        int first = 0;
        while (first < x.length && x[first] == 0) {
            first++;
        }
        while (expected < first) {
            expected += bells.length;
        }
        int loops = 0;
        List<String> gaps = new ArrayList<String>();
        int late = 0;
        // And it goes on after the game has ended.
        int last = x.length - 1;
        while (last > 0 && x[last] == 0) {
            last--;
        }
        int reach = RATE / 4;
        while (expected + t.length + reach < last) {
            // A gap can only push a repetition later; one longer than a quarter second is not borne anyway.
            double[] b = best(t, expected + reach / 2 - 1, reach / 2 + 1);
            double g = gain(t, norm(t) * norm(t), (int) b[1]);
            // In a busy moment the mixer's limiter turns the whole mix down
            // for a while, the bells with it: a repetition heard in its place
            // at a lowered gain is no gap. Louder than played, or far
            // quieter, is not the bells.
            if (b[1] < expected - 2 || g > 1.25 || g < MIN_LIMITED_GAIN) {
                problems.add(String.format("bells loop %d not heard at %.3f s (gain %.2f)", loops,
                    expected / (double) RATE, g));
                return;
            }
            if (b[1] > expected + 2) {
                late += (int) b[1] - expected;
                gaps.add(String.format("%.1f ms before %.3f s", (b[1] - expected) * 1000.0 / RATE,
                    b[1] / (double) RATE));
            }
            loops++;
            expected = (int) b[1] + bells.length;
        }
        System.out.printf("bells: %d loops of %.3f s heard, gaps: %s%n", loops, bells.length / (double) RATE,
            gaps.isEmpty() ? "none" : String.join(", ", gaps));
        if (loops < 3) {
            problems.add("the bells were heard for only " + loops + " loops");
        }
        if (gaps.size() > 2 || late > RATE * 300 / 1000) {
            problems.add("gaps in the output: " + String.join(", ", gaps));
        }
    }

    /** Samples at full scale, where a mix that was not limited would have been cut off. */
    void checkClipping(List<String> problems) {
        int full = 0;
        double peak = 0;
        for (double v : x) {
            peak = Math.max(peak, Math.abs(v));
            if (v >= Short.MAX_VALUE || v <= Short.MIN_VALUE) {
                full++;
            }
        }
        System.out.printf("loudest sample %.0f (%.1f %% of full scale); %d of %d samples at full scale%n",
            peak, 100 * peak / 32768, full, x.length);
        if (full > 0) {
            problems.add(full + " samples at full scale: the mix was clipped");
        }
    }

    /**
     * How long after the game started a sound it comes out: the recording's
     * sample 0 is set on the game's clock by the earliest arrival of its
     * blocks once the game plays (a block cannot come before its samples
     * were played, and from then on the sink is never idle), then each hit
     * and each shot is found near where that clock puts it. Hits set the
     * common delay first, as a held trigger fires like a clock. Printed, in
     * milliseconds: the figure the player feels, plus the wait for the
     * game's next step after a key press (up to one step, 33 ms).
     */
    void measureDelay(HollyBlitz game, String folder, List<long[]> times, long bellsMillis, List<int[]> shots,
            List<int[]> hits) throws IOException {
        double zero = Double.MAX_VALUE;
        for (long[] t : times) {
            if (t[0] >= bellsMillis + 1000) {
                zero = Math.min(zero, t[0] - t[1] / 2 * 1000.0 / RATE);
            }
        }
        if (zero == Double.MAX_VALUE) {
            System.out.println("delay not measured: the recording's times end before the game played");
            return;
        }
        List<int[]> hitsAt = onClock(hits, zero, bellsMillis);
        List<int[]> shotsAt = onClock(shots, zero, bellsMillis);
        List<int[]> first = hitsAt.subList(0, Math.min(hitsAt.size(), 40));
        double[][] templates = attacks(game, folder, first);
        int coarse = bestDelay(first, templates, -RATE / 20, RATE * 6 / 10, 4);
        int common = bestDelay(first, templates, coarse - 4, coarse + 4, 1);
        System.out.printf("a sound is heard %.1f ms after the game starts it (hits together)%n",
            common * 1000.0 / RATE);
        for (Object[] kind : new Object[][] {{"gun shots", shotsAt}, {"hit sounds", hitsAt}}) {
            @SuppressWarnings("unchecked")
            List<int[]> played = (List<int[]>) kind[1];
            List<Double> delays = new ArrayList<Double>();
            for (int[] p : played) {
                double[] t = head(sound(game, folder, p[1]), ATTACK);
                double[] b = best(t, p[0] + common, SLACK);
                if (b[0] >= 0.7) {
                    delays.add((b[1] - p[0]) * 1000.0 / RATE);
                }
            }
            if (delays.isEmpty()) {
                continue;
            }
            Collections.sort(delays);
            System.out.printf("%s: heard %.1f ms (median), %.1f ms (90th percentile), %.1f ms (most) after"
                + " started, %d of %d clear enough to time%n", kind[0], delays.get(delays.size() / 2),
                delays.get(delays.size() * 9 / 10), delays.get(delays.size() - 1), delays.size(), played.size());
        }
    }

    /** The sounds' places in the recording by the game's clock: `zero` is when sample 0 played. */
    private static List<int[]> onClock(List<int[]> played, double zero, long bellsMillis) {
        List<int[]> at = new ArrayList<int[]>();
        for (int[] p : played) {
            at.add(new int[] {(int) Math.round((bellsMillis + p[0] - zero) * RATE / 1000), p[1]});
        }
        return at;
    }
}
