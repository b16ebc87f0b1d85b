package com.tallowfen.hollyblitz;

import com.tallowfen.util.ApplicationAudioClip;

/**
 * Loads the game's media from its workspace: every frame of every picture
 * in the picture table, and every sound by its id.
 */
final class MediaLoader {

    private MediaLoader() {
    }

    /** Fills the game's picture table and waits until every frame has loaded or failed. */
    static void loadImages(HollyBlitz game) {
        AssetFolder gifs = new AssetFolder(game.workspace, "XmasGifs");
        for (int i = 0; i < game.fileList.length / 2; i++) {
            ImageObject picture = new ImageObject();
            game.gameImages[i] = picture;
            String stem = game.fileList[2 * i];
            int frames = Integer.parseInt(game.fileList[2 * i + 1]);
            for (int k = 0; k < frames; k++) {
                picture.objectImage[k] = game.imageManager.getImage(gifs.path(stem + k + ".gif"));
            }
        }
        if (!game.imageManager.preloadAll(null)) {
            System.err.println("Failed to load one or more images.");
        } else {
            System.err.println("All images loaded successfully.");
        }
    }

    /** Fills the game's sound table; a missing file gives a clip that plays nothing. */
    static void loadSounds(HollyBlitz game) {
        AssetFolder sounds = new AssetFolder(game.workspace, "XmasSounds");
        int s = 1;
        String stem;
        while ((stem = game.getSoundFileReference(s)) != null) {
            game.gameSounds[s] = new ApplicationAudioClip(sounds.path(stem + ".au"));
            s++;
        }
        ApplicationAudioClip.loopSilence();
    }
}
