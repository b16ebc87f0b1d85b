package com.tallowfen.artgen;

import com.tallowfen.hollyblitz.AssetTables;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/** Every image id of the game, in id order, with its frame size and the painter of its frames. */
final class Catalogue {
    private Catalogue() {
    }

    static List<Art> all() {
        List<Art> a = new ArrayList<>();
        a.add(Art.none(0));
        a.add(Art.drawn(1, 70, 65, Kind.SPRITE, Gun::turret));
        a.add(Art.drawn(2, 56, 68, Kind.SPRITE, Gun::base));
        a.add(Art.drawn(3, 640, 420, Kind.OPAQUE, Scenery::sky));
        barracks(a);
        elves(a);
        a.add(Art.drawn(23, 640, 163, Kind.SPRITE, Scenery::midground));
        a.add(Art.drawn(24, 32, 13, Kind.SPRITE, Chutes::open));
        a.add(Art.drawn(25, 32, 32, Kind.SPRITE, Chutes::shredded));
        a.add(Art.drawn(26, 32, 13, Kind.SPRITE, Chutes::opening));
        a.add(Art.drawn(27, 32, 34, Kind.SPRITE, Presents.falling(Presents.KIND_A)));
        a.add(Art.drawn(28, 32, 34, Kind.SPRITE, Presents.falling(Presents.KIND_B)));
        a.add(Art.drawn(29, 50, 50, Kind.FADING, Presents::blasted));
        a.add(Art.drawn(30, 183, 162, Kind.FADING, Presents.exploding(Presents.KIND_A)));
        a.add(Art.drawn(31, 183, 162, Kind.FADING, Presents.exploding(Presents.KIND_B)));
        a.add(Art.drawn(32, 58, 4, Kind.SPRITE, Deer::rein));
        Art deer = Art.drawn(33, 47, 46, Kind.SPRITE, Deer::gallop);
        a.add(deer);
        a.add(Art.mirrored(34, 47, 46, deer));
        Art deerHit = Art.drawn(35, 40, 45, Kind.SPRITE, Deer::blasted);
        a.add(deerHit);
        a.add(Art.mirrored(36, 40, 45, deerHit));
        sleighs(a);
        a.add(Art.drawn(41, 6, 6, Kind.SPRITE, Blasts::shell));
        a.add(Art.drawn(42, 28, 28, Kind.FADING, Blasts::flak));
        a.add(Art.drawn(43, 35, 29, Kind.FADING, Blasts::starburst));
        Art elfSleigh = Art.drawn(44, 63, 40, Kind.SPRITE, Sleighs::elfSleigh);
        a.add(elfSleigh);
        a.add(Art.mirrored(45, 62, 40, elfSleigh));
        Art elfWreck = Art.drawn(46, 81, 79, Kind.SPRITE, Sleighs::elfWreck);
        a.add(elfWreck);
        a.add(Art.mirrored(47, 81, 79, elfWreck));
        a.add(Art.drawn(48, 41, 43, Kind.FADING, Blasts::smoke));
        a.add(Art.drawn(49, 78, 136, Kind.SPRITE, Gun::tree));
        a.add(Art.drawn(50, 600, 450, Kind.OPAQUE, Panels::intro));
        a.add(Art.drawn(51, 600, 450, Kind.OPAQUE, Panels::throneward));
        a.add(Art.drawn(52, 600, 450, Kind.OPAQUE, Panels::webGames));
        a.add(Art.drawn(53, 82, 28, Kind.SPRITE, Panels::flag));
        a.add(Art.drawn(54, 450, 169, Kind.OPAQUE, Panels::gameOver));
        a.add(Art.drawn(55, 324, 350, Kind.OPAQUE, Panels::scoreEntry));
        a.add(Art.drawn(56, 94, 86, Kind.FADING, Blasts::changePuff));
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

    private static void barracks(List<Art> a) {
        Art[] left = {
            Art.drawn(4, 79, 58, Kind.SPRITE, Barracks.stage(0)),
            Art.drawn(5, 79, 58, Kind.SPRITE, Barracks.stage(1)),
            Art.drawn(6, 79, 58, Kind.SPRITE, Barracks.stage(2)),
            Art.drawn(7, 79, 58, Kind.SPRITE, Barracks.stage(3)),
        };
        Collections.addAll(a, left);
        for (int i = 0; i < 4; i++) {
            a.add(Art.mirrored(8 + i, 79, 58, left[i]));
        }
    }

    private static void elves(List<Art> a) {
        a.add(Art.drawn(12, 20, 34, Kind.SPRITE, Elves::celebrating));
        a.add(Art.drawn(13, 15, 28, Kind.SPRITE, Elves::climbing));
        a.add(Art.drawn(14, 17, 33, Kind.SPRITE, Elves::decorating));
        a.add(Art.drawn(15, 27, 32, Kind.SPRITE, Elves::falling));
        a.add(Art.drawn(16, 12, 29, Kind.SPRITE, Elves::onLadder));
        a.add(Art.drawn(17, 25, 34, Kind.SPRITE, Elves::parachuting));
        Art run = Art.drawn(18, 22, 31, Kind.SPRITE, Elves::running);
        a.add(run);
        a.add(Art.mirrored(19, 22, 31, run));
        Art hit = Art.drawn(20, 23, 29, Kind.SPRITE, Elves::blasted);
        a.add(hit);
        a.add(Art.mirrored(21, 23, 29, hit));
        a.add(Art.none(22));
    }

    private static void sleighs(List<Art> a) {
        Art santa = Art.drawn(37, 64, 63, Kind.SPRITE, Sleighs::santa);
        a.add(santa);
        a.add(Art.mirrored(38, 63, 62, santa));
        Art wreck = Art.drawn(39, 102, 107, Kind.SPRITE, Sleighs::santaWreck);
        a.add(wreck);
        a.add(Art.mirrored(40, 102, 107, wreck));
    }
}
