package com.tallowfen.artgen;

import java.awt.BasicStroke;
import java.awt.Color;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.Shape;
import java.awt.geom.AffineTransform;
import java.awt.geom.Ellipse2D;
import java.awt.geom.Path2D;
import java.awt.geom.RoundRectangle2D;
import java.awt.image.BufferedImage;

/** The game's palette and the few drawing moves every picture is made of. */
final class Ink {
    static final Color LINE = new Color(0x1c1024);
    static final Color RED = new Color(0xd42a2f);
    static final Color RED_DARK = new Color(0x8e1420);
    static final Color GREEN = new Color(0x2e9a46);
    static final Color GREEN_DARK = new Color(0x17602e);
    static final Color PINE = new Color(0x1d5a3c);
    static final Color PINE_DARK = new Color(0x0f3526);
    static final Color GOLD = new Color(0xf4c434);
    static final Color GOLD_DARK = new Color(0xb8861a);
    static final Color SKIN = new Color(0xf7c9a2);
    static final Color SKIN_DARK = new Color(0xd8997a);
    static final Color SNOW = new Color(0xf4f7ff);
    static final Color SNOW_SHADE = new Color(0xc3d2ee);
    static final Color FUR = new Color(0x9a6234);
    static final Color FUR_DARK = new Color(0x5e3a1e);
    static final Color FUR_LIGHT = new Color(0xe3c49a);
    static final Color ANTLER = new Color(0xe8d6b0);
    static final Color WOOD = new Color(0x8b5a2b);
    static final Color WOOD_DARK = new Color(0x5a3518);
    static final Color STEEL = new Color(0x7d8aa0);
    static final Color STEEL_DARK = new Color(0x46506a);
    static final Color STEEL_LIGHT = new Color(0xb9c4d6);
    static final Color NIGHT = new Color(0x0b1433);
    static final Color NIGHT_LOW = new Color(0x2a3d7a);
    static final Color BLUE = new Color(0x2f6bd6);
    static final Color BLUE_DARK = new Color(0x1a3d8a);
    static final Color PURPLE = new Color(0x7a3fb8);
    static final Color WHITE = Color.WHITE;

    private Ink() {
    }

    /** A pen with anti-aliasing and exact strokes, so every run draws the same pixels. */
    static Graphics2D pen(BufferedImage img) {
        Graphics2D g = img.createGraphics();
        g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING, RenderingHints.VALUE_TEXT_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_STROKE_CONTROL, RenderingHints.VALUE_STROKE_PURE);
        g.setRenderingHint(RenderingHints.KEY_RENDERING, RenderingHints.VALUE_RENDER_QUALITY);
        g.setRenderingHint(RenderingHints.KEY_INTERPOLATION, RenderingHints.VALUE_INTERPOLATION_BICUBIC);
        g.setRenderingHint(RenderingHints.KEY_FRACTIONALMETRICS, RenderingHints.VALUE_FRACTIONALMETRICS_ON);
        return g;
    }

    /** Fills a shape and rims it with the outline colour. */
    static void blob(Graphics2D g, Shape s, Color fill, Color line, double width) {
        g.setColor(fill);
        g.fill(s);
        if (line != null && width > 0) {
            line(g, s, line, width);
        }
    }

    static void blob(Graphics2D g, Shape s, Color fill) {
        blob(g, s, fill, LINE, 1.2);
    }

    static void line(Graphics2D g, Shape s, Color c, double width) {
        g.setColor(c);
        g.setStroke(new BasicStroke((float) width, BasicStroke.CAP_ROUND, BasicStroke.JOIN_ROUND));
        g.draw(s);
    }

    static void fill(Graphics2D g, Shape s, Color c) {
        g.setColor(c);
        g.fill(s);
    }

    static Shape oval(double cx, double cy, double rx, double ry) {
        return new Ellipse2D.Double(cx - rx, cy - ry, 2 * rx, 2 * ry);
    }

    static Shape round(double x, double y, double w, double h, double r) {
        return new RoundRectangle2D.Double(x, y, w, h, r, r);
    }

    /** A closed polygon through x,y pairs. */
    static Path2D poly(double... xy) {
        Path2D p = new Path2D.Double();
        p.moveTo(xy[0], xy[1]);
        for (int i = 2; i < xy.length; i += 2) {
            p.lineTo(xy[i], xy[i + 1]);
        }
        p.closePath();
        return p;
    }

    /** An open polyline through x,y pairs. */
    static Path2D path(double... xy) {
        Path2D p = new Path2D.Double();
        p.moveTo(xy[0], xy[1]);
        for (int i = 2; i < xy.length; i += 2) {
            p.lineTo(xy[i], xy[i + 1]);
        }
        return p;
    }

    /** A smooth closed shape through x,y pairs (a Catmull-Rom loop). */
    static Path2D smooth(double... xy) {
        int n = xy.length / 2;
        Path2D p = new Path2D.Double();
        p.moveTo(xy[0], xy[1]);
        for (int i = 0; i < n; i++) {
            int a = (i + n - 1) % n;
            int b = (i + 1) % n;
            int c = (i + 2) % n;
            double c1x = xy[2 * i] + (xy[2 * b] - xy[2 * a]) / 6;
            double c1y = xy[2 * i + 1] + (xy[2 * b + 1] - xy[2 * a + 1]) / 6;
            double c2x = xy[2 * b] - (xy[2 * c] - xy[2 * i]) / 6;
            double c2y = xy[2 * b + 1] - (xy[2 * c + 1] - xy[2 * i + 1]) / 6;
            p.curveTo(c1x, c1y, c2x, c2y, xy[2 * b], xy[2 * b + 1]);
        }
        p.closePath();
        return p;
    }

    static Shape turn(Shape s, double degrees, double cx, double cy) {
        return AffineTransform.getRotateInstance(Math.toRadians(degrees), cx, cy).createTransformedShape(s);
    }

    static Color mix(Color a, Color b, double t) {
        t = Math.max(0, Math.min(1, t));
        return new Color(
                (int) Math.round(a.getRed() + (b.getRed() - a.getRed()) * t),
                (int) Math.round(a.getGreen() + (b.getGreen() - a.getGreen()) * t),
                (int) Math.round(a.getBlue() + (b.getBlue() - a.getBlue()) * t));
    }

    static Color fade(Color c, double alpha) {
        int a = (int) Math.round(255 * Math.max(0, Math.min(1, alpha)));
        return new Color(c.getRed(), c.getGreen(), c.getBlue(), a);
    }

    static Font font(boolean serif, int style, double size) {
        return new Font(serif ? Font.SERIF : Font.SANS_SERIF, style, 1).deriveFont((float) size);
    }

    /** Text centred on x with its baseline at y. */
    static void centred(Graphics2D g, String s, double x, double y) {
        FontMetrics fm = g.getFontMetrics();
        g.drawString(s, (float) (x - fm.stringWidth(s) / 2.0), (float) y);
    }

    /** Outlined text centred on x, the rim drawn under the fill so letters stay full. */
    static void outlinedText(Graphics2D g, String s, double x, double y, Color fill, Color rim, double rimWidth) {
        FontMetrics fm = g.getFontMetrics();
        Shape glyphs = g.getFont().createGlyphVector(g.getFontRenderContext(), s)
                .getOutline((float) (x - fm.stringWidth(s) / 2.0), (float) y);
        line(g, glyphs, rim, rimWidth);
        fill(g, glyphs, fill);
    }

    /** Seeded per picture and frame, so scattered details land in the same place every run. */
    static java.util.Random dice(String stem, int frame) {
        long seed = 1469598103934665603L;
        for (char ch : stem.toCharArray()) {
            seed = (seed ^ ch) * 1099511628211L;
        }
        return new java.util.Random(seed + frame * 7919L);
    }
}
