package com.tallowfen.soundgen;

import com.tallowfen.hollyblitz.AssetTables;
import java.io.IOException;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/** Every sound of the game in sound-id order: the recipe that makes it, under the game's file stem. */
final class SoundBook {
    /** Makes a sound's signal at the working rate. */
    interface Recipe {
        double[] make(Speech speech) throws IOException;
    }

    /** One sound: stem of its file name (the game's), recipe, and whether it repeats seamlessly. */
    static final class Entry {
        String stem;
        final Recipe recipe;
        final boolean loop;

        Entry(Recipe recipe, boolean loop) {
            this.recipe = recipe;
            this.loop = loop;
        }
    }

    private SoundBook() {
    }

    static List<Entry> all() {
        List<Entry> e = new ArrayList<>();
        e.add(new Entry(s -> Effects.gunFiring(), false));
        e.add(new Entry(s -> Effects.parachuteShredded(), false));
        e.add(new Entry(s -> Effects.elfBounce(), false));
        for (int i = 1; i <= 7; i++) {
            int which = i;
            e.add(new Entry(s -> Voices.elfHit(which), false));
        }
        e.add(new Entry(s -> Effects.sleighHitA(), false));
        e.add(new Entry(s -> Effects.sleighHitB(), false));
        for (int i = 1; i <= 4; i++) {
            int which = i;
            e.add(new Entry(s -> Effects.sleighFalling(which), false));
        }
        e.add(new Entry(s -> Voices.elfScreams(), false));
        for (int i = 1; i <= 3; i++) {
            int which = i;
            e.add(new Entry(s -> Voices.deerHit(which), false));
        }
        e.add(new Entry(SoundBook::merryChristmas, false));
        e.add(new Entry(s -> Bells.santaAppears(), false));
        e.add(new Entry(s -> Effects.santaCrash(), false));
        e.add(new Entry(s -> Bells.bellLoop(), true));
        e.add(new Entry(s -> Bells.elfDecorate(), false));
        e.add(new Entry(s -> Effects.presentDrop(1), false));
        e.add(new Entry(s -> Effects.presentDrop(2), false));
        e.add(new Entry(s -> Effects.presentDrop(3), false));
        e.add(new Entry(s -> Effects.presentBurst1(), false));
        e.add(new Entry(s -> Effects.presentBurst2(), false));
        e.add(new Entry(s -> Voices.elfCheer(), false));
        e.add(new Entry(s -> Effects.presentExplode(), false));
        // The recipes stand in sound-id order; the file names are the game's.
        if (e.size() != AssetTables.soundCount()) {
            throw new IllegalStateException(e.size() + " recipes, the game has " + AssetTables.soundCount() + " sounds");
        }
        for (int i = 0; i < e.size(); i++) {
            e.get(i).stem = AssetTables.soundStem(i + 1);
        }
        return Collections.unmodifiableList(e);
    }

    /** The greeting at the end of a game: a cheerful spoken line, then a bell shake and a chime. */
    private static double[] merryChristmas(Speech speech) throws IOException {
        double[] words = trim(speech.say("Merry Christmas!", "en-us+f3", 70, 135));
        double len = Dsp.seconds(words) + 0.55;
        double[] out = new double[Dsp.samples(len)];
        Dsp.mix(out, words, 0, 1.0);
        double end = Dsp.seconds(words) - 0.05;
        Dsp.mix(out, Bells.jingle(2101, 6), end, 0.25);
        int[] chime = {15, 19, 22, 27};
        for (int i = 0; i < chime.length; i++) {
            Dsp.mix(out, Bells.ping(Dsp.note(chime[i]), 0.1), end + 0.06 * i, 0.18);
        }
        return out;
    }

    /** Cuts the silence the synthesiser leaves around its words, keeping 20 ms either side. */
    private static double[] trim(double[] x) {
        double floor = 0.01 * Master.peak(x);
        int first = 0;
        while (first < x.length - 1 && StrictMath.abs(x[first]) < floor) {
            first++;
        }
        int last = x.length - 1;
        while (last > first && StrictMath.abs(x[last]) < floor) {
            last--;
        }
        int margin = Dsp.samples(0.02);
        return java.util.Arrays.copyOfRange(x, StrictMath.max(0, first - margin), StrictMath.min(x.length, last + margin));
    }
}
