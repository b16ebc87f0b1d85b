package com.tallowfen.artgen;

import com.tallowfen.hollyblitz.AssetTables;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/**
 * Every picture of the game, by its stem in id order, with the painter of its
 * frames; ids, frame counts and sizes are the game's picture table.
 */
final class Catalogue {
    private Catalogue() {
    }

    static List<Art> all() {
        List<Art> a = new ArrayList<>();
        a.add(none("NullObject"));
        a.add(drawn("AAAGun", Kind.SPRITE, Gun::turret));
        a.add(drawn("AAAGunBase", Kind.SPRITE, Gun::base));
        a.add(drawn("BackGround", Kind.OPAQUE, Scenery::sky));
        barracks(a);
        elves(a);
        a.add(drawn("MidGround", Kind.SPRITE, Scenery::midground));
        a.add(drawn("Parachute", Kind.SPRITE, Chutes::open));
        a.add(drawn("ParachuteBlasted", Kind.SPRITE, Chutes::shredded));
        a.add(drawn("ParachuteOpening", Kind.SPRITE, Chutes::opening));
        a.add(drawn("PresentA", Kind.SPRITE, Presents.falling(Presents.KIND_A)));
        a.add(drawn("PresentB", Kind.SPRITE, Presents.falling(Presents.KIND_B)));
        a.add(drawn("PresentBlasted", Kind.FADING, Presents::blasted));
        a.add(drawn("PresentAExploding", Kind.FADING, Presents.exploding(Presents.KIND_A)));
        a.add(drawn("PresentBExploding", Kind.FADING, Presents.exploding(Presents.KIND_B)));
        a.add(drawn("Rein", Kind.SPRITE, Deer::rein));
        Art deer = drawn("ReindeerLR", Kind.SPRITE, Deer::gallop);
        a.add(deer);
        a.add(mirrored("ReindeerRL", deer));
        Art deerHit = drawn("ReindeerBlastedLR", Kind.SPRITE, Deer::blasted);
        a.add(deerHit);
        a.add(mirrored("ReindeerBlastedRL", deerHit));
        sleighs(a);
        a.add(drawn("Shell", Kind.SPRITE, Blasts::shell));
        a.add(drawn("ShellBlastA", Kind.FADING, Blasts::flak));
        a.add(drawn("ShellBlastB", Kind.FADING, Blasts::starburst));
        Art elfSleigh = drawn("SleighElfLR", Kind.SPRITE, Sleighs::elfSleigh);
        a.add(elfSleigh);
        a.add(mirrored("SleighElfRL", elfSleigh));
        Art elfWreck = drawn("SleighCrashingLR", Kind.SPRITE, Sleighs::elfWreck);
        a.add(elfWreck);
        a.add(mirrored("SleighCrashingRL", elfWreck));
        a.add(drawn("Smoke", Kind.FADING, Blasts::smoke));
        a.add(drawn("XmasTree", Kind.SPRITE, Gun::tree));
        a.add(drawn("Intro", Kind.OPAQUE, Panels::intro));
        a.add(drawn("VisitThroneward", Kind.OPAQUE, Panels::throneward));
        a.add(drawn("VisitJava", Kind.OPAQUE, Panels::webGames));
        a.add(drawn("StudioFlag", Kind.SPRITE, Panels::flag));
        a.add(drawn("EndSplash", Kind.OPAQUE, Panels::gameOver));
        a.add(drawn("ScoreSplash", Kind.OPAQUE, Panels::scoreEntry));
        a.add(drawn("Puff", Kind.FADING, Blasts::changePuff));
        for (int id = 0; id < a.size(); id++) {
            if (a.get(id).id != id) {
                throw new IllegalStateException("picture " + a.get(id).stem + " out of id order");
            }
        }
        if (a.size() != AssetTables.imageCount()) {
            throw new IllegalStateException(a.size() + " pictures drawn, the game has " + AssetTables.imageCount());
        }
        return Collections.unmodifiableList(a);
    }

    /** A picture drawn by its painter, at the size the game's table gives it. */
    private static Art drawn(String stem, Kind kind, Painter painter) {
        int id = AssetTables.imageId(stem);
        return Art.drawn(id, AssetTables.imageWidth(id), AssetTables.imageHeight(id), kind, painter);
    }

    /** The mirror image of a twin, at the size the game's table gives it. */
    private static Art mirrored(String stem, Art twin) {
        int id = AssetTables.imageId(stem);
        return Art.mirrored(id, AssetTables.imageWidth(id), AssetTables.imageHeight(id), twin);
    }

    /** A picture the game names but never draws. */
    private static Art none(String stem) {
        return Art.none(AssetTables.imageId(stem));
    }

    private static void barracks(List<Art> a) {
        Art[] left = {
            drawn("BarrackL", Kind.SPRITE, Barracks.stage(0)),
            drawn("BarrackLDecA", Kind.SPRITE, Barracks.stage(1)),
            drawn("BarrackLDecB", Kind.SPRITE, Barracks.stage(2)),
            drawn("BarrackLDecC", Kind.SPRITE, Barracks.stage(3)),
        };
        Collections.addAll(a, left);
        String[] right = {"BarrackR", "BarrackRDecA", "BarrackRDecB", "BarrackRDecC"};
        for (int i = 0; i < right.length; i++) {
            a.add(mirrored(right[i], left[i]));
        }
    }

    private static void elves(List<Art> a) {
        a.add(drawn("ElfCelebrating", Kind.SPRITE, Elves::celebrating));
        a.add(drawn("ElfClimbing", Kind.SPRITE, Elves::climbing));
        a.add(drawn("ElfDecorating", Kind.SPRITE, Elves::decorating));
        a.add(drawn("ElfFalling", Kind.SPRITE, Elves::falling));
        a.add(drawn("ElfLadder", Kind.SPRITE, Elves::onLadder));
        a.add(drawn("ElfParachuting", Kind.SPRITE, Elves::parachuting));
        Art run = drawn("ElfRunningLR", Kind.SPRITE, Elves::running);
        a.add(run);
        a.add(mirrored("ElfRunningRL", run));
        Art hit = drawn("ElfBlastedLR", Kind.SPRITE, Elves::blasted);
        a.add(hit);
        a.add(mirrored("ElfBlastedRL", hit));
        a.add(none("ElfBouncing"));
    }

    private static void sleighs(List<Art> a) {
        Art santa = drawn("SantaLR", Kind.SPRITE, Sleighs::santa);
        a.add(santa);
        a.add(mirrored("SantaRL", santa));
        Art wreck = drawn("SantaCrashingLR", Kind.SPRITE, Sleighs::santaWreck);
        a.add(wreck);
        a.add(mirrored("SantaCrashingRL", wreck));
    }
}
