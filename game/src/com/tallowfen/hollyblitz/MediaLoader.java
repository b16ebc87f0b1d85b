package com.tallowfen.hollyblitz;

import com.tallowfen.util.ApplicationAudioClip;
import com.tallowfen.util.ImageManager;

/**
 * Loads the game's media from a workspace into the tables it is given: every
 * frame of every picture in the picture table, and every sound by its id.
 */
final class MediaLoader {

    private MediaLoader() {
    }

    /**
     * Fills `pictures` by id from `fileList` (stem and frame count per id)
     * and waits until every frame has loaded or failed.
     */
    static void loadImages(String workspace, String[] fileList, ImageManager imageManager, ImageObject[] pictures) {
        AssetFolder gifs = new AssetFolder(workspace, "XmasGifs");
        for (int i = 0; i < fileList.length / 2; i++) {
            ImageObject picture = new ImageObject();
            pictures[i] = picture;
            String stem = fileList[2 * i];
            int frames = Integer.parseInt(fileList[2 * i + 1]);
            for (int k = 0; k < frames; k++) {
                picture.objectImage[k] = imageManager.getImage(gifs.path(stem + k + ".gif"));
            }
        }
        if (!imageManager.preloadAll(null)) {
            System.err.println("Failed to load one or more images.");
        } else {
            System.err.println("All images loaded successfully.");
        }
    }

    /** Fills `clips` by sound id; a missing file gives a clip that plays nothing. */
    static void loadSounds(String workspace, ApplicationAudioClip[] clips) {
        AssetFolder sounds = new AssetFolder(workspace, "XmasSounds");
        int s = 1;
        String stem;
        while ((stem = AssetTables.soundStem(s)) != null) {
            clips[s] = new ApplicationAudioClip(sounds.path(stem + ".au"));
            s++;
        }
        ApplicationAudioClip.loopSilence();
    }
}
