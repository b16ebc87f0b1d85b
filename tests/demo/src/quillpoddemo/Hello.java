package quillpoddemo;

import java.awt.Button;
import java.awt.Color;
import java.awt.FlowLayout;
import java.awt.Font;
import java.awt.Frame;
import java.awt.Label;
import java.awt.event.ActionEvent;
import java.awt.event.ActionListener;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.File;

/**
 * A tiny packed application that shows the launcher, the boot stage and the
 * archive working together: a window saying hello, naming the workspace it
 * was unpacked into. Closing it (or its button) ends the VM with status 0;
 * "--close-after=MS" closes it by itself, for unattended runs.
 */
public class Hello {
    public static void main(String[] args) {
        long closeAfter = -1;
        for (String a : args) {
            if (a.startsWith("--close-after=")) {
                closeAfter = Long.parseLong(a.substring("--close-after=".length()));
            }
        }
        final Frame frame = new Frame("quillpod demo");
        frame.setLayout(new FlowLayout(FlowLayout.CENTER, 20, 20));
        frame.setBackground(new Color(0x10, 0x30, 0x20));
        Label hello = new Label("Hello from a packed Java application!");
        hello.setFont(new Font("SansSerif", Font.BOLD, 18));
        hello.setForeground(Color.white);
        frame.add(hello);
        File workspace = new File(System.getProperty("quillpod.dir", "."));
        Label where = new Label("Unpacked into " + workspace.getName()
                + (new File(workspace, "quillpoddemo").isDirectory() ? "" : " (classes not found there)"));
        where.setForeground(Color.lightGray);
        frame.add(where);
        Button close = new Button("Close");
        frame.add(close);
        ActionListener bye = new ActionListener() {
            public void actionPerformed(ActionEvent e) {
                frame.dispose();
                System.exit(0);
            }
        };
        close.addActionListener(bye);
        frame.addWindowListener(new WindowAdapter() {
            public void windowClosing(WindowEvent e) {
                frame.dispose();
                System.exit(0);
            }
        });
        frame.setSize(460, 170);
        frame.setLocationRelativeTo(null);
        frame.setVisible(true);
        if (closeAfter >= 0) {
            javax.swing.Timer timer = new javax.swing.Timer((int) closeAfter, bye);
            timer.setRepeats(false);
            timer.start();
        }
    }
}
