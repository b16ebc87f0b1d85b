import java.awt.Frame;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.MediaTracker;
import java.awt.Toolkit;

/** The baseline: a plain window that loads one picture and shows it. */
public class OnePicture extends Frame {
    private final Image picture;

    OnePicture(String file) throws InterruptedException {
        super("One picture");
        picture = Toolkit.getDefaultToolkit().createImage(file);
        MediaTracker tracker = new MediaTracker(this);
        tracker.addImage(picture, 0);
        tracker.waitForAll();
        setSize(600, 494);
    }

    @Override
    public void paint(Graphics g) {
        g.drawImage(picture, 0, 22, this);
    }

    public static void main(String[] args) throws Exception {
        new OnePicture(args[0]).setVisible(true);
    }
}
