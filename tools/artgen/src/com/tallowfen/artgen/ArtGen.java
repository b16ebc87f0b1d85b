package com.tallowfen.artgen;

import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.util.List;

/**
 * Draws every picture of the game and writes it as GIF frames, plus the contact sheet and
 * the mock-up of play. Usage: ArtGen <gif folder> [<docs folder>].
 */
public final class ArtGen {
    private ArtGen() {
    }

    public static void main(String[] args) throws IOException {
        if (args.length < 1 || args.length > 2) {
            System.err.println("usage: ArtGen <gif folder> [<docs folder>]");
            System.exit(2);
        }
        File gifs = new File(args[0]);
        List<Art> arts = Catalogue.all();
        BufferedImage[][] frames = writeFrames(arts, gifs);
        if (args.length == 2) {
            File docs = new File(args[1]);
            mkdirs(docs);
            Sheets.contactSheet(arts, frames, new File(docs, "contact-sheet.png"));
            Sheets.mockup(arts, frames, new File(docs, "mockup.png"));
        }
    }

    /** Renders and writes all frames, replacing every GIF of ours in the folder. */
    private static BufferedImage[][] writeFrames(List<Art> arts, File dir) throws IOException {
        mkdirs(dir);
        clearOldFrames(dir);
        BufferedImage[][] frames = new BufferedImage[arts.size()][];
        int files = 0;
        for (Art art : arts) {
            frames[art.id] = new BufferedImage[art.frames];
            for (int k = 0; k < art.frames; k++) {
                BufferedImage img = art.render(k);
                GifWriter.write(img, art.kind, new File(dir, art.fileName(k)));
                frames[art.id][k] = GifWriter.toIndexed(img, art.kind);
                files++;
            }
        }
        System.out.println("Wrote " + files + " GIF frames of " + arts.size() + " pictures to " + dir);
        return frames;
    }

    /** Drops stale frames, so a picture that loses frames leaves no orphan files behind. */
    private static void clearOldFrames(File dir) throws IOException {
        File[] old = dir.listFiles((d, name) -> name.toLowerCase(java.util.Locale.ROOT).endsWith(".gif"));
        if (old == null) {
            return;
        }
        for (File f : old) {
            if (!f.delete()) {
                throw new IOException("cannot delete " + f);
            }
        }
    }

    private static void mkdirs(File dir) throws IOException {
        if (!dir.isDirectory() && !dir.mkdirs()) {
            throw new IOException("cannot create " + dir);
        }
    }
}
