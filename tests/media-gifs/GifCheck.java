import com.tallowfen.hollyblitz.AssetTables;
import java.awt.image.BufferedImage;
import java.awt.image.IndexColorModel;
import java.awt.image.Raster;
import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.Iterator;
import java.util.List;
import java.util.Locale;
import java.util.Set;
import java.util.TreeSet;
import javax.imageio.ImageIO;
import javax.imageio.ImageReader;
import javax.imageio.stream.ImageInputStream;

/**
 * Checks the game's GIF frames against the game's picture table: every frame present, one GIF
 * image per file, the right size, see-through pixels on sprites and none on the opaque pictures
 * (named in a list of their stems), and no stray files. Usage: GifCheck <opaque list> <gif
 * folder>; exits 1 and lists every fault found.
 */
public final class GifCheck {
    private GifCheck() {
    }

    public static void main(String[] args) throws IOException {
        if (args.length != 2) {
            System.err.println("usage: GifCheck <opaque list> <gif folder>");
            System.exit(2);
        }
        List<String> faults = check(new File(args[0]), new File(args[1]));
        faults.forEach(System.out::println);
        System.out.println(faults.isEmpty() ? "All frames match the image table." : faults.size() + " fault(s).");
        System.exit(faults.isEmpty() ? 0 : 1);
    }

    /** One picture of the game's table: stem, frame count and size, and whether it is a sprite. */
    static final class Entry {
        final String stem;
        final int frames;
        final int width;
        final int height;
        final boolean sprite;

        Entry(int id, Set<String> opaque) {
            stem = AssetTables.imageStem(id);
            frames = AssetTables.imageFrames(id);
            width = AssetTables.imageWidth(id);
            height = AssetTables.imageHeight(id);
            sprite = !opaque.contains(stem);
        }
    }

    /** Every picture of the game in id order; each stem in the opaque list must be one of the game's. */
    static List<Entry> readTable(File opaqueList) throws IOException {
        Set<String> opaque = new TreeSet<>();
        for (String line : Files.readAllLines(opaqueList.toPath(), StandardCharsets.UTF_8)) {
            if (!line.isBlank() && !line.startsWith("#")) {
                opaque.add(line.trim());
            }
        }
        List<Entry> entries = new ArrayList<>();
        Set<String> stems = new TreeSet<>();
        for (int id = 0; id < AssetTables.imageCount(); id++) {
            entries.add(new Entry(id, opaque));
            stems.add(AssetTables.imageStem(id));
        }
        opaque.removeAll(stems);
        if (!opaque.isEmpty()) {
            throw new IllegalArgumentException("opaque pictures the game does not have: " + opaque);
        }
        return entries;
    }

    /** Every fault of the folder against the table, in table order; empty when all is well. */
    static List<String> check(File opaqueList, File dir) throws IOException {
        List<String> faults = new ArrayList<>();
        Set<String> expected = new TreeSet<>();
        for (Entry e : readTable(opaqueList)) {
            for (int k = 0; k < e.frames; k++) {
                String name = e.stem + k + ".gif";
                expected.add(name.toLowerCase(Locale.ROOT));
                checkFrame(e, new File(dir, name), faults);
            }
        }
        String[] present = dir.list();
        if (present != null) {
            for (String name : new TreeSet<>(List.of(present))) {
                if (!expected.contains(name.toLowerCase(Locale.ROOT))) {
                    faults.add(name + ": not in the image table");
                }
            }
        }
        return faults;
    }

    private static void checkFrame(Entry e, File f, List<String> faults) throws IOException {
        String name = f.getName();
        if (!f.isFile()) {
            faults.add(name + ": missing");
            return;
        }
        BufferedImage img = readSingleGif(f, faults);
        if (img == null) {
            return;
        }
        if (img.getWidth() != e.width || img.getHeight() != e.height) {
            faults.add(name + ": " + img.getWidth() + "x" + img.getHeight() + ", expected " + e.width + "x" + e.height);
        }
        int[] seeThrough = countSeeThrough(img);
        if (e.sprite && seeThrough[0] == 0) {
            faults.add(name + ": sprite without see-through pixels");
        } else if (e.sprite && seeThrough[0] == seeThrough[1]) {
            faults.add(name + ": sprite with nothing visible");
        } else if (!e.sprite && seeThrough[0] > 0) {
            faults.add(name + ": opaque picture with " + seeThrough[0] + " see-through pixels");
        }
    }

    /** Decodes a file that must be a GIF holding exactly one image; records why not otherwise. */
    private static BufferedImage readSingleGif(File f, List<String> faults) throws IOException {
        try (ImageInputStream in = ImageIO.createImageInputStream(f)) {
            Iterator<ImageReader> readers = ImageIO.getImageReaders(in);
            if (in == null || !readers.hasNext()) {
                faults.add(f.getName() + ": not an image");
                return null;
            }
            ImageReader reader = readers.next();
            try {
                if (!reader.getFormatName().equalsIgnoreCase("gif")) {
                    faults.add(f.getName() + ": " + reader.getFormatName() + ", not GIF");
                    return null;
                }
                reader.setInput(in);
                int n = reader.getNumImages(true);
                if (n != 1) {
                    faults.add(f.getName() + ": holds " + n + " images, expected 1");
                    return null;
                }
                return reader.read(0);
            } catch (IOException ex) {
                faults.add(f.getName() + ": unreadable GIF (" + ex.getMessage() + ")");
                return null;
            } finally {
                reader.dispose();
            }
        }
    }

    /** {see-through pixels, all pixels}, by the palette's transparent index. */
    private static int[] countSeeThrough(BufferedImage img) {
        int total = img.getWidth() * img.getHeight();
        if (!(img.getColorModel() instanceof IndexColorModel)) {
            return new int[] {0, total};
        }
        int clear = ((IndexColorModel) img.getColorModel()).getTransparentPixel();
        if (clear < 0) {
            return new int[] {0, total};
        }
        Raster r = img.getRaster();
        int n = 0;
        for (int y = 0; y < img.getHeight(); y++) {
            for (int x = 0; x < img.getWidth(); x++) {
                if (r.getSample(x, y, 0) == clear) {
                    n++;
                }
            }
        }
        return new int[] {n, total};
    }
}
