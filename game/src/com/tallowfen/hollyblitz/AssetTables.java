package com.tallowfen.hollyblitz;

/**
 * The names of the game's media: for every picture id the stem of its frame
 * files, how many frames it has and their size (files XmasGifs/<stem><frame>.gif), and
 * for every sound id the stem of its file (XmasSounds/<stem>.au). The game
 * loads its media by these tables, and the media generators and checks read
 * them from here, so a name is written down only once. Plain data: nothing
 * here needs a display.
 */
public final class AssetTables {

    /** Stem, frame count, frame width and frame height (0 for a picture without frames), per picture id in id order. */
    private static final String[][] PICTURES = {
        {"NullObject", "0", "0", "0"},
        {"AAAGun", "32", "70", "65"},
        {"AAAGunBase", "1", "56", "68"},
        {"BackGround", "1", "640", "420"},
        {"BarrackL", "1", "79", "58"},
        {"BarrackLDecA", "1", "79", "58"},
        {"BarrackLDecB", "1", "79", "58"},
        {"BarrackLDecC", "6", "79", "58"},
        {"BarrackR", "1", "79", "58"},
        {"BarrackRDecA", "1", "79", "58"},
        {"BarrackRDecB", "1", "79", "58"},
        {"BarrackRDecC", "6", "79", "58"},
        {"ElfCelebrating", "16", "20", "34"},
        {"ElfClimbing", "8", "15", "28"},
        {"ElfDecorating", "8", "17", "33"},
        {"ElfFalling", "4", "27", "32"},
        {"ElfLadder", "1", "12", "29"},
        {"ElfParachuting", "1", "25", "34"},
        {"ElfRunningLR", "8", "22", "31"},
        {"ElfRunningRL", "8", "22", "31"},
        {"ElfBlastedLR", "6", "23", "29"},
        {"ElfBlastedRL", "6", "23", "29"},
        {"ElfBouncing", "0", "0", "0"},
        {"MidGround", "1", "640", "163"},
        {"Parachute", "1", "32", "13"},
        {"ParachuteBlasted", "1", "32", "32"},
        {"ParachuteOpening", "4", "32", "13"},
        {"PresentA", "8", "32", "34"},
        {"PresentB", "8", "32", "34"},
        {"PresentBlasted", "10", "50", "50"},
        {"PresentAExploding", "21", "183", "162"},
        {"PresentBExploding", "21", "183", "162"},
        {"Rein", "1", "58", "4"},
        {"ReindeerLR", "10", "47", "46"},
        {"ReindeerRL", "10", "47", "46"},
        {"ReindeerBlastedLR", "6", "40", "45"},
        {"ReindeerBlastedRL", "6", "40", "45"},
        {"SantaLR", "1", "64", "63"},
        {"SantaRL", "1", "63", "62"},
        {"SantaCrashingLR", "9", "102", "107"},
        {"SantaCrashingRL", "9", "102", "107"},
        {"Shell", "1", "6", "6"},
        {"ShellBlastA", "10", "28", "28"},
        {"ShellBlastB", "5", "35", "29"},
        {"SleighElfLR", "1", "63", "40"},
        {"SleighElfRL", "1", "62", "40"},
        {"SleighCrashingLR", "9", "81", "79"},
        {"SleighCrashingRL", "9", "81", "79"},
        {"Smoke", "15", "41", "43"},
        {"XmasTree", "12", "78", "136"},
        {"Intro", "1", "600", "450"},
        {"VisitThroneward", "1", "600", "450"},
        {"VisitJava", "1", "600", "450"},
        {"StudioFlag", "8", "82", "28"},
        {"EndSplash", "1", "450", "169"},
        {"ScoreSplash", "1", "324", "350"},
        {"Puff", "7", "94", "86"},
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

    /** A fresh list of stem and frame count (as text) for each picture id in turn. */
    public static String[] fileList() {
        String[] list = new String[2 * PICTURES.length];
        for (int id = 0; id < PICTURES.length; id++) {
            list[2 * id] = PICTURES[id][0];
            list[2 * id + 1] = PICTURES[id][1];
        }
        return list;
    }

    /** How many picture ids there are, 0 included. */
    public static int imageCount() {
        return PICTURES.length;
    }

    /** The picture id of a file stem; an unknown stem is an IllegalArgumentException. */
    public static int imageId(String stem) {
        for (int id = 0; id < PICTURES.length; id++) {
            if (PICTURES[id][0].equals(stem)) {
                return id;
            }
        }
        throw new IllegalArgumentException("no picture " + stem);
    }

    /** The file stem of a picture id. */
    public static String imageStem(int id) {
        return PICTURES[id][0];
    }

    /** How many frames a picture id has. */
    public static int imageFrames(int id) {
        return Integer.parseInt(PICTURES[id][1]);
    }

    /** Width in pixels of every frame of a picture id; 0 when it has none. */
    public static int imageWidth(int id) {
        return Integer.parseInt(PICTURES[id][2]);
    }

    /** Height in pixels of every frame of a picture id; 0 when it has none. */
    public static int imageHeight(int id) {
        return Integer.parseInt(PICTURES[id][3]);
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
