package com.tallowfen.artgen;

import com.tallowfen.hollyblitz.AssetTables;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/** Every image id of the game, in id order, with the painter of its frames; names and sizes are the game's table. */
final class Catalogue {
    private Catalogue() {
    }

    static List<Art> all() {
        List<Art> a = new ArrayList<>();
        a.add(Art.none(0));
        a.add(drawn(1, Kind.SPRITE, Gun::turret));
        a.add(drawn(2, Kind.SPRITE, Gun::base));
        a.add(drawn(3, Kind.OPAQUE, Scenery::sky));
        barracks(a);
        elves(a);
        a.add(drawn(23, Kind.SPRITE, Scenery::midground));
        a.add(drawn(24, Kind.SPRITE, Chutes::open));
        a.add(drawn(25, Kind.SPRITE, Chutes::shredded));
        a.add(drawn(26, Kind.SPRITE, Chutes::opening));
        a.add(drawn(27, Kind.SPRITE, Presents.falling(Presents.KIND_A)));
        a.add(drawn(28, Kind.SPRITE, Presents.falling(Presents.KIND_B)));
        a.add(drawn(29, Kind.FADING, Presents::blasted));
        a.add(drawn(30, Kind.FADING, Presents.exploding(Presents.KIND_A)));
        a.add(drawn(31, Kind.FADING, Presents.exploding(Presents.KIND_B)));
        a.add(drawn(32, Kind.SPRITE, Deer::rein));
        Art deer = drawn(33, Kind.SPRITE, Deer::gallop);
        a.add(deer);
        a.add(mirrored(34, deer));
        Art deerHit = drawn(35, Kind.SPRITE, Deer::blasted);
        a.add(deerHit);
        a.add(mirrored(36, deerHit));
        sleighs(a);
        a.add(drawn(41, Kind.SPRITE, Blasts::shell));
        a.add(drawn(42, Kind.FADING, Blasts::flak));
        a.add(drawn(43, Kind.FADING, Blasts::starburst));
        Art elfSleigh = drawn(44, Kind.SPRITE, Sleighs::elfSleigh);
        a.add(elfSleigh);
        a.add(mirrored(45, elfSleigh));
        Art elfWreck = drawn(46, Kind.SPRITE, Sleighs::elfWreck);
        a.add(elfWreck);
        a.add(mirrored(47, elfWreck));
        a.add(drawn(48, Kind.FADING, Blasts::smoke));
        a.add(drawn(49, Kind.SPRITE, Gun::tree));
        a.add(drawn(50, Kind.OPAQUE, Panels::intro));
        a.add(drawn(51, Kind.OPAQUE, Panels::throneward));
        a.add(drawn(52, Kind.OPAQUE, Panels::webGames));
        a.add(drawn(53, Kind.SPRITE, Panels::flag));
        a.add(drawn(54, Kind.OPAQUE, Panels::gameOver));
        a.add(drawn(55, Kind.OPAQUE, Panels::scoreEntry));
        a.add(drawn(56, Kind.FADING, Blasts::changePuff));
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

    /** A picture drawn by its painter, at the size the game's table gives its id. */
    private static Art drawn(int id, Kind kind, Painter painter) {
        return Art.drawn(id, AssetTables.imageWidth(id), AssetTables.imageHeight(id), kind, painter);
    }

    /** The mirror image of a twin, at the size the game's table gives its id. */
    private static Art mirrored(int id, Art twin) {
        return Art.mirrored(id, AssetTables.imageWidth(id), AssetTables.imageHeight(id), twin);
    }

    private static void barracks(List<Art> a) {
        Art[] left = {
            drawn(4, Kind.SPRITE, Barracks.stage(0)),
            drawn(5, Kind.SPRITE, Barracks.stage(1)),
            drawn(6, Kind.SPRITE, Barracks.stage(2)),
            drawn(7, Kind.SPRITE, Barracks.stage(3)),
        };
        Collections.addAll(a, left);
        for (int i = 0; i < 4; i++) {
            a.add(mirrored(8 + i, left[i]));
        }
    }

    private static void elves(List<Art> a) {
        a.add(drawn(12, Kind.SPRITE, Elves::celebrating));
        a.add(drawn(13, Kind.SPRITE, Elves::climbing));
        a.add(drawn(14, Kind.SPRITE, Elves::decorating));
        a.add(drawn(15, Kind.SPRITE, Elves::falling));
        a.add(drawn(16, Kind.SPRITE, Elves::onLadder));
        a.add(drawn(17, Kind.SPRITE, Elves::parachuting));
        Art run = drawn(18, Kind.SPRITE, Elves::running);
        a.add(run);
        a.add(mirrored(19, run));
        Art hit = drawn(20, Kind.SPRITE, Elves::blasted);
        a.add(hit);
        a.add(mirrored(21, hit));
        a.add(Art.none(22));
    }

    private static void sleighs(List<Art> a) {
        Art santa = drawn(37, Kind.SPRITE, Sleighs::santa);
        a.add(santa);
        a.add(mirrored(38, santa));
        Art wreck = drawn(39, Kind.SPRITE, Sleighs::santaWreck);
        a.add(wreck);
        a.add(mirrored(40, wreck));
    }
}
