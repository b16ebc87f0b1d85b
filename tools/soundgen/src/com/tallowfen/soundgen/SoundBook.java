package com.tallowfen.soundgen;

import java.io.IOException;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/** Every sound of the game in sound-id order: its file stem and the recipe that makes it. */
final class SoundBook {
    /** Makes a sound's signal at the working rate. */
    interface Recipe {
        double[] make(Speech speech) throws IOException;
    }

    /** One sound: stem of its file name, recipe, and whether it repeats seamlessly. */
    static final class Entry {
        final String stem;
        final Recipe recipe;
        final boolean loop;

        Entry(String stem, Recipe recipe, boolean loop) {
            this.stem = stem;
            this.recipe = recipe;
            this.loop = loop;
        }
    }

    private SoundBook() {
    }

    static List<Entry> all() {
        List<Entry> e = new ArrayList<>();
        e.add(new Entry("GunFiring", s -> Effects.gunFiring(), false));
        e.add(new Entry("ParachuteShredded", s -> Effects.parachuteShredded(), false));
        e.add(new Entry("ElfBounce", s -> Effects.elfBounce(), false));
        for (int i = 1; i <= 7; i++) {
            int which = i;
            e.add(new Entry("ElfHit" + i, s -> Voices.elfHit(which), false));
        }
        e.add(new Entry("SleighHitA", s -> Effects.sleighHitA(), false));
        e.add(new Entry("SleighHitB", s -> Effects.sleighHitB(), false));
        for (int i = 1; i <= 4; i++) {
            int which = i;
            e.add(new Entry("SleighFalling" + i, s -> Effects.sleighFalling(which), false));
        }
        e.add(new Entry("ElfScreams1", s -> Voices.elfScreams(), false));
        for (int i = 1; i <= 3; i++) {
            int which = i;
            e.add(new Entry("DeerHit" + i, s -> Voices.deerHit(which), false));
        }
        e.add(new Entry("MerryChristmas", SoundBook::merryChristmas, false));
        e.add(new Entry("SantaAppears", s -> Bells.santaAppears(), false));
        e.add(new Entry("SantaCrash", s -> Effects.santaCrash(), false));
        e.add(new Entry("BellLoop", s -> Bells.bellLoop(), true));
        e.add(new Entry("ElfDecorate", s -> Bells.elfDecorate(), false));
        e.add(new Entry("PresentDrop", s -> Effects.presentDrop(1), false));
        e.add(new Entry("PresentDrop2", s -> Effects.presentDrop(2), false));
        e.add(new Entry("PresentDrop3", s -> Effects.presentDrop(3), false));
        e.add(new Entry("PresentBurst1", s -> Effects.presentBurst1(), false));
        e.add(new Entry("PresentBurst2", s -> Effects.presentBurst2(), false));
        e.add(new Entry("ElfCheer2", s -> Voices.elfCheer(), false));
        e.add(new Entry("PresentExplode", s -> Effects.presentExplode(), false));
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
