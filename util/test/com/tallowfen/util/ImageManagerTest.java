package com.tallowfen.util;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotSame;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Canvas;
import java.awt.Image;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import javax.imageio.ImageIO;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

class ImageManagerTest {

    @TempDir
    Path dir;

    ImageManager manager;
    List<Double> fractions = new ArrayList<>();

    @BeforeEach
    void setUp() {
        manager = new ImageManager(new Canvas());
    }

    /** Writes a small real GIF and returns its path. */
    String gif(String name) throws IOException {
        BufferedImage picture = new BufferedImage(4, 3, BufferedImage.TYPE_BYTE_INDEXED);
        picture.setRGB(1, 1, 0xff0000);
        File file = dir.resolve(name).toFile();
        assertTrue(ImageIO.write(picture, "gif", file));
        return file.getPath();
    }

    String missing(String name) {
        return dir.resolve(name).toString();
    }

    int idOf(String name) {
        return manager.imageTable.get(name).imgID;
    }

    @Test
    void sameNameTwiceGivesSameImageAndOneEntry() throws IOException {
        String path = gif("a.gif");
        Image first = manager.getImage(path);
        assertSame(first, manager.getImage(path));
        assertEquals(1, manager.getImageCount());
        assertTrue(manager.preloadImage(path));
        assertSame(first, manager.getImage(path));
        assertEquals(0, idOf(path));
    }

    @Test
    void loadsOnlyWhenAskedAndReportsTheLoadedSize() throws IOException {
        String path = gif("a.gif");
        Image image = manager.getImage(path);
        assertFalse(manager.isPreloaded(path));
        assertEquals(0, manager.imageTracker.statusID(idOf(path), false), "isPreloaded must not start loading");
        assertTrue(manager.preloadImage(path));
        assertTrue(manager.isPreloaded(path));
        assertEquals(4, image.getWidth(null));
        assertEquals(3, image.getHeight(null));
    }

    @ParameterizedTest(name = "{0}")
    @ValueSource(strings = {"missing", "empty", "not a picture"})
    void unreadableFileFailsQuietly(String kind) throws IOException {
        String path = missing("bad.gif");
        if (kind.equals("empty")) {
            Files.write(dir.resolve("bad.gif"), new byte[0]);
        } else if (kind.equals("not a picture")) {
            Files.write(dir.resolve("bad.gif"), "GIF89a, or so it claims".getBytes("US-ASCII"));
        }
        Image image = manager.getImage(path);
        assertTrue(image != null);
        assertFalse(manager.preloadImage(path));
        assertFalse(manager.isPreloaded(path));
        assertFalse(manager.preloadImage(path), "a failed image stays failed until requested again");
    }

    @Test
    void failedImageIsReplacedByFreshOneWithNewId() throws IOException {
        String path = missing("late.gif");
        Image failed = manager.getImage(path);
        manager.getImage(gif("other.gif"));
        assertFalse(manager.preloadImage(path));

        gif("late.gif");
        Image fresh = manager.getImage(path);
        assertNotSame(failed, fresh);
        assertEquals(2, idOf(path));
        assertEquals(2, manager.getImageCount());
        assertTrue(manager.preloadImage(path), "the retry reads the file afresh");
    }

    @Test
    void preloadAllOverEmptyManagerReportsDoneOnce() {
        assertTrue(manager.preloadAll(fractions::add));
        assertEquals(Arrays.asList(1.0), fractions);
    }

    @Test
    void preloadAllGoesOnPastMissingFirstImage() throws IOException {
        String absent = missing("a.gif");
        manager.getImage(absent);
        String second = gif("b.gif");
        manager.getImage(second);
        String third = gif("c.gif");
        manager.getImage(third);

        assertFalse(manager.preloadAll(fractions::add));
        assertEquals(Arrays.asList(1 / 3.0, 2 / 3.0, 1.0, 1.0), fractions);
        assertFalse(manager.isPreloaded(absent));
        assertTrue(manager.isPreloaded(second));
        assertTrue(manager.isPreloaded(third));
    }

    @Test
    void preloadAllWithoutObserverOrParent() throws IOException {
        manager = new ImageManager(null);
        manager.getImage(gif("a.gif"));
        manager.getImage(gif("b.gif"));
        assertTrue(manager.preloadAll(null));
    }

    @Test
    void unknownNameIsNeitherLoadedNorRemoved() throws IOException {
        manager.getImage(gif("a.gif"));
        assertFalse(manager.preloadImage("never asked for"));
        assertFalse(manager.isPreloaded("never asked for"));
        manager.removeImage("never asked for");
        assertEquals(1, manager.getImageCount());
        assertEquals(null, manager.getImage((String) null));
    }

    @Test
    void removedNameComesBackWithHigherId() throws IOException {
        String a = gif("a.gif");
        String b = gif("b.gif");
        Image old = manager.getImage(a);
        manager.getImage(b);
        manager.removeImage(a);
        assertEquals(1, manager.getImageCount());
        assertFalse(manager.isPreloaded(a));

        assertNotSame(old, manager.getImage(a));
        assertEquals(2, idOf(a));
        assertEquals(2, manager.getImageCount());
        assertTrue(manager.preloadImage(a));
    }

    @Test
    void imageByAddressIsKeyedByItsExternalForm() throws IOException {
        java.net.URL address = new File(gif("a.gif")).toURI().toURL();
        Image image = manager.getImage(address);
        String key = address.toExternalForm();
        assertSame(image, manager.getImage(new java.net.URL(key)));
        assertEquals(1, manager.getImageCount());
        assertTrue(manager.preloadImage(key));
        assertTrue(manager.isPreloaded(key));
        manager.removeImage(key);
        assertEquals(0, manager.getImageCount());
    }
}
