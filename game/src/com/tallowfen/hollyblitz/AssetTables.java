package com.tallowfen.hollyblitz;

/**
 * The names of the game's media: for every picture id the stem of its frame
 * files and how many frames it has (files XmasGifs/<stem><frame>.gif), and
 * for every sound id the stem of its file (XmasSounds/<stem>.au). The game
 * loads its media by these tables, and the media generators and checks read
 * them from here, so a name is written down only once. Plain data: nothing
 * here needs a display.
 */
public final class AssetTables {

    /** Stem and frame count, one pair per picture id in id order. */
    private static final String[] FILE_LIST = {
        "NullObject", "0",
        "AAAGun", "32",
        "AAAGunBase", "1",
        "BackGround", "1",
        "BarrackL", "1",
        "BarrackLDecA", "1",
        "BarrackLDecB", "1",
        "BarrackLDecC", "6",
        "BarrackR", "1",
        "BarrackRDecA", "1",
        "BarrackRDecB", "1",
        "BarrackRDecC", "6",
        "ElfCelebrating", "16",
        "ElfClimbing", "8",
        "ElfDecorating", "8",
        "ElfFalling", "4",
        "ElfLadder", "1",
        "ElfParachuting", "1",
        "ElfRunningLR", "8",
        "ElfRunningRL", "8",
        "ElfBlastedLR", "6",
        "ElfBlastedRL", "6",
        "ElfBouncing", "0",
        "MidGround", "1",
        "Parachute", "1",
        "ParachuteBlasted", "1",
        "ParachuteOpening", "4",
        "PresentA", "8",
        "PresentB", "8",
        "PresentBlasted", "10",
        "PresentAExploding", "21",
        "PresentBExploding", "21",
        "Rein", "1",
        "ReindeerLR", "10",
        "ReindeerRL", "10",
        "ReindeerBlastedLR", "6",
        "ReindeerBlastedRL", "6",
        "SantaLR", "1",
        "SantaRL", "1",
        "SantaCrashingLR", "9",
        "SantaCrashingRL", "9",
        "Shell", "1",
        "ShellBlastA", "10",
        "ShellBlastB", "5",
        "SleighElfLR", "1",
        "SleighElfRL", "1",
        "SleighCrashingLR", "9",
        "SleighCrashingRL", "9",
        "Smoke", "15",
        "XmasTree", "12",
        "Intro", "1",
        "VisitThroneward", "1",
        "VisitJava", "1",
        "StudioFlag", "8",
        "EndSplash", "1",
        "ScoreSplash", "1",
        "Puff", "7",
    };

    /** Sound file stems by sound id; id 0 has none. */
    private static final String[] SOUND_STEMS = {
        null,
        "GunFiring", "ParachuteShredded", "ElfBounce",
        "ElfHit1", "ElfHit2", "ElfHit3", "ElfHit4", "ElfHit5", "ElfHit6", "ElfHit7",
        "SleighHitA", "SleighHitB",
        "SleighFalling1", "SleighFalling2", "SleighFalling3", "SleighFalling4", "ElfScreams1",
        "DeerHit1", "DeerHit2", "DeerHit3",
        "MerryChristmas", "SantaAppears", "SantaCrash", "BellLoop", "ElfDecorate",
        "PresentDrop", "PresentDrop2", "PresentDrop3", "PresentBurst1", "PresentBurst2",
        "ElfCheer2", "PresentExplode",
    };

    private AssetTables() {
    }

    /** A fresh copy of the picture table: stem and frame count (as text) for each id in turn. */
    public static String[] fileList() {
        return FILE_LIST.clone();
    }

    /** How many picture ids there are, 0 included. */
    public static int imageCount() {
        return FILE_LIST.length / 2;
    }

    /** The file stem of a picture id. */
    public static String imageStem(int id) {
        return FILE_LIST[2 * id];
    }

    /** How many frames a picture id has. */
    public static int imageFrames(int id) {
        return Integer.parseInt(FILE_LIST[2 * id + 1]);
    }

    /** The highest sound id; ids run from 1. */
    public static int soundCount() {
        return SOUND_STEMS.length - 1;
    }

    /** The file stem of a sound id, or null for an id without a sound. */
    public static String soundStem(int soundRef) {
        if (soundRef < 1 || soundRef >= SOUND_STEMS.length) {
            return null;
        }
        return SOUND_STEMS[soundRef];
    }
}
