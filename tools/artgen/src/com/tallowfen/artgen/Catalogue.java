package com.tallowfen.artgen;

import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/** Every image id of the game, in id order, with the painter of its frames. */
final class Catalogue {
    private Catalogue() {
    }

    static List<Art> all() {
        List<Art> a = new ArrayList<>();
        a.add(Art.none(0, "NullObject"));
        a.add(Art.drawn(1, "AAAGun", 32, 70, 65, Kind.SPRITE, Gun::turret));
        a.add(Art.drawn(2, "AAAGunBase", 1, 56, 68, Kind.SPRITE, Gun::base));
        a.add(Art.drawn(3, "BackGround", 1, 640, 420, Kind.OPAQUE, Scenery::sky));
        barracks(a);
        elves(a);
        a.add(Art.drawn(23, "MidGround", 1, 640, 163, Kind.SPRITE, Scenery::midground));
        a.add(Art.drawn(24, "Parachute", 1, 32, 13, Kind.SPRITE, Chutes::open));
        a.add(Art.drawn(25, "ParachuteBlasted", 1, 32, 32, Kind.SPRITE, Chutes::shredded));
        a.add(Art.drawn(26, "ParachuteOpening", 4, 32, 13, Kind.SPRITE, Chutes::opening));
        a.add(Art.drawn(27, "PresentA", 8, 32, 34, Kind.SPRITE, Presents.falling(Presents.KIND_A)));
        a.add(Art.drawn(28, "PresentB", 8, 32, 34, Kind.SPRITE, Presents.falling(Presents.KIND_B)));
        a.add(Art.drawn(29, "PresentBlasted", 10, 50, 50, Kind.FADING, Presents::blasted));
        a.add(Art.drawn(30, "PresentAExploding", 21, 183, 162, Kind.FADING, Presents.exploding(Presents.KIND_A)));
        a.add(Art.drawn(31, "PresentBExploding", 21, 183, 162, Kind.FADING, Presents.exploding(Presents.KIND_B)));
        a.add(Art.drawn(32, "Rein", 1, 58, 4, Kind.SPRITE, Deer::rein));
        Art deer = Art.drawn(33, "ReindeerLR", 10, 47, 46, Kind.SPRITE, Deer::gallop);
        a.add(deer);
        a.add(Art.mirrored(34, "ReindeerRL", 47, 46, deer));
        Art deerHit = Art.drawn(35, "ReindeerBlastedLR", 6, 40, 45, Kind.SPRITE, Deer::blasted);
        a.add(deerHit);
        a.add(Art.mirrored(36, "ReindeerBlastedRL", 40, 45, deerHit));
        sleighs(a);
        a.add(Art.drawn(41, "Shell", 1, 6, 6, Kind.SPRITE, Blasts::shell));
        a.add(Art.drawn(42, "ShellBlastA", 10, 28, 28, Kind.FADING, Blasts::flak));
        a.add(Art.drawn(43, "ShellBlastB", 5, 35, 29, Kind.FADING, Blasts::starburst));
        Art elfSleigh = Art.drawn(44, "SleighElfLR", 1, 63, 40, Kind.SPRITE, Sleighs::elfSleigh);
        a.add(elfSleigh);
        a.add(Art.mirrored(45, "SleighElfRL", 62, 40, elfSleigh));
        Art elfWreck = Art.drawn(46, "SleighCrashingLR", 9, 81, 79, Kind.SPRITE, Sleighs::elfWreck);
        a.add(elfWreck);
        a.add(Art.mirrored(47, "SleighCrashingRL", 81, 79, elfWreck));
        a.add(Art.drawn(48, "Smoke", 15, 41, 43, Kind.FADING, Blasts::smoke));
        a.add(Art.drawn(49, "XmasTree", 12, 78, 136, Kind.SPRITE, Gun::tree));
        a.add(Art.drawn(50, "Intro", 1, 600, 450, Kind.OPAQUE, Panels::intro));
        a.add(Art.drawn(51, "VisitThroneward", 1, 600, 450, Kind.OPAQUE, Panels::throneward));
        a.add(Art.drawn(52, "VisitJava", 1, 600, 450, Kind.OPAQUE, Panels::webGames));
        a.add(Art.drawn(53, "StudioFlag", 8, 82, 28, Kind.SPRITE, Panels::flag));
        a.add(Art.drawn(54, "EndSplash", 1, 450, 169, Kind.OPAQUE, Panels::gameOver));
        a.add(Art.drawn(55, "ScoreSplash", 1, 324, 350, Kind.OPAQUE, Panels::scoreEntry));
        a.add(Art.drawn(56, "Puff", 7, 94, 86, Kind.FADING, Blasts::changePuff));
        return Collections.unmodifiableList(a);
    }

    private static void barracks(List<Art> a) {
        Art[] left = {
            Art.drawn(4, "BarrackL", 1, 79, 58, Kind.SPRITE, Barracks.stage(0)),
            Art.drawn(5, "BarrackLDecA", 1, 79, 58, Kind.SPRITE, Barracks.stage(1)),
            Art.drawn(6, "BarrackLDecB", 1, 79, 58, Kind.SPRITE, Barracks.stage(2)),
            Art.drawn(7, "BarrackLDecC", 6, 79, 58, Kind.SPRITE, Barracks.stage(3)),
        };
        String[] right = {"BarrackR", "BarrackRDecA", "BarrackRDecB", "BarrackRDecC"};
        Collections.addAll(a, left);
        for (int i = 0; i < 4; i++) {
            a.add(Art.mirrored(8 + i, right[i], 79, 58, left[i]));
        }
    }

    private static void elves(List<Art> a) {
        a.add(Art.drawn(12, "ElfCelebrating", 16, 20, 34, Kind.SPRITE, Elves::celebrating));
        a.add(Art.drawn(13, "ElfClimbing", 8, 15, 28, Kind.SPRITE, Elves::climbing));
        a.add(Art.drawn(14, "ElfDecorating", 8, 17, 33, Kind.SPRITE, Elves::decorating));
        a.add(Art.drawn(15, "ElfFalling", 4, 27, 32, Kind.SPRITE, Elves::falling));
        a.add(Art.drawn(16, "ElfLadder", 1, 12, 29, Kind.SPRITE, Elves::onLadder));
        a.add(Art.drawn(17, "ElfParachuting", 1, 25, 34, Kind.SPRITE, Elves::parachuting));
        Art run = Art.drawn(18, "ElfRunningLR", 8, 22, 31, Kind.SPRITE, Elves::running);
        a.add(run);
        a.add(Art.mirrored(19, "ElfRunningRL", 22, 31, run));
        Art hit = Art.drawn(20, "ElfBlastedLR", 6, 23, 29, Kind.SPRITE, Elves::blasted);
        a.add(hit);
        a.add(Art.mirrored(21, "ElfBlastedRL", 23, 29, hit));
        a.add(Art.none(22, "ElfBouncing"));
    }

    private static void sleighs(List<Art> a) {
        Art santa = Art.drawn(37, "SantaLR", 1, 64, 63, Kind.SPRITE, Sleighs::santa);
        a.add(santa);
        a.add(Art.mirrored(38, "SantaRL", 63, 62, santa));
        Art wreck = Art.drawn(39, "SantaCrashingLR", 9, 102, 107, Kind.SPRITE, Sleighs::santaWreck);
        a.add(wreck);
        a.add(Art.mirrored(40, "SantaCrashingRL", 102, 107, wreck));
    }
}
