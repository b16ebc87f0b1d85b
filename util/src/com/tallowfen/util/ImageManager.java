package com.tallowfen.util;

import java.awt.Canvas;
import java.awt.Component;
import java.awt.Image;
import java.awt.MediaTracker;
import java.awt.Toolkit;
import java.net.URL;
import java.util.ArrayList;
import java.util.Hashtable;
import java.util.List;

/**
 * Cache of images keyed by name: hands out an image as soon as it is asked for
 * and loads it when the caller asks for a preload. Prints and throws nothing; a
 * missing or unreadable file shows up as a load failure.
 */
public class ImageManager {

    /** Longest wait for one image during a preload. */
    static final long LOAD_TIMEOUT_MS = 60000;

    private static final int BROKEN = MediaTracker.ERRORED | MediaTracker.ABORTED;

    /** One cached image with a tracker id of its own, so the id's state is that image's state. */
    protected static class ImageTableEntry {
        Image img;
        int imgID = -1;
        String imgName;
    }

    protected Hashtable<String, ImageTableEntry> imageTable;
    protected MediaTracker imageTracker;
    protected Component parentComponent;
    protected int nextID;

    public ImageManager(Component parent) {
        imageTable = new Hashtable<String, ImageTableEntry>();
        // The tracker needs a component to load through; without a parent any plain one serves.
        imageTracker = new MediaTracker(parent != null ? parent : new Canvas());
        parentComponent = parent;
        nextID = 0;
    }

    /** The image of a file, cached by its name; a failed image is replaced by a fresh one. */
    public synchronized Image getImage(String fileName) {
        if (fileName == null) {
            return null;
        }
        Image cached = usableImage(fileName);
        if (cached != null) {
            return cached;
        }
        return register(fileName, Toolkit.getDefaultToolkit().createImage(fileName));
    }

    /** The image at an address, cached under the address's external form. */
    public synchronized Image getImage(URL address) {
        if (address == null) {
            return null;
        }
        String name = address.toExternalForm();
        Image cached = usableImage(name);
        if (cached != null) {
            return cached;
        }
        return register(name, Toolkit.getDefaultToolkit().createImage(address));
    }

    public int getImageCount() {
        return imageTable.size();
    }

    /** Forgets an image; its tracker id is never given out again. */
    public void removeImage(String name) {
        ImageTableEntry entry = entry(name);
        if (entry == null) {
            return;
        }
        imageTracker.removeImage(entry.img, entry.imgID);
        imageTable.remove(entry.imgName);
    }

    /** Loads one image and waits for it; true when it loaded completely. */
    public boolean preloadImage(String name) {
        ImageTableEntry entry = entry(name);
        if (entry == null) {
            return false;
        }
        if (isComplete(entry)) {
            return true;
        }
        try {
            return imageTracker.waitForID(entry.imgID, LOAD_TIMEOUT_MS);
        } catch (InterruptedException e) {
            // Keep the request to stop visible to the caller; the image counts as not loaded.
            Thread.currentThread().interrupt();
            return false;
        }
    }

    /** Loads every image, waiting for each in turn; true when all of them loaded completely. */
    public boolean preloadAll(ProgressObserver observer) {
        List<String> names;
        synchronized (imageTable) {
            names = new ArrayList<String>(imageTable.keySet());
        }
        double total = names.size();
        // Every image starts loading now, so the toolkit's loader threads
        // decode the next ones while this thread waits for each in turn.
        imageTracker.statusAll(true);
        boolean allLoaded = true;
        int done = 0;
        for (String name : names) {
            if (!preloadImage(name)) {
                allLoaded = false;
            }
            done++;
            if (observer != null) {
                observer.updateProgress(done / total);
            }
        }
        if (observer != null) {
            observer.updateProgress(1.0);
        }
        return allLoaded;
    }

    /** True when the image has finished loading without an error; starts no loading. */
    public boolean isPreloaded(String name) {
        ImageTableEntry entry = entry(name);
        return entry != null && isComplete(entry);
    }

    private ImageTableEntry entry(String name) {
        return name == null ? null : imageTable.get(name);
    }

    private boolean isComplete(ImageTableEntry entry) {
        return imageTracker.statusID(entry.imgID, false) == MediaTracker.COMPLETE;
    }

    /** The cached image of a name, or null when there is none or it failed to load. */
    private Image usableImage(String name) {
        ImageTableEntry entry = imageTable.get(name);
        if (entry == null || (imageTracker.statusID(entry.imgID, false) & BROKEN) != 0) {
            return null;
        }
        return entry.img;
    }

    private Image register(String name, Image image) {
        if (image == null) {
            return null;
        }
        ImageTableEntry entry = new ImageTableEntry();
        entry.img = image;
        entry.imgID = nextID++;
        entry.imgName = name;
        ImageTableEntry replaced = imageTable.put(name, entry);
        if (replaced != null) {
            imageTracker.removeImage(replaced.img, replaced.imgID);
        }
        imageTracker.addImage(image, entry.imgID);
        return image;
    }
}
