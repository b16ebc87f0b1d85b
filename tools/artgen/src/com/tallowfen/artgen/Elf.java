package com.tallowfen.artgen;

import java.awt.BasicStroke;
import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.Shape;
import java.awt.geom.AffineTransform;
import java.awt.geom.Path2D;

/**
 * One elf in one pose, drawn from a small skeleton so that every elf animation shares the same
 * figure. Angles are degrees: limbs at 0 hang straight down, at 90 point forward (sideways out
 * in the front and back views), at 180 point up.
 */
final class Elf {
    static final int SIDE = 1;
    static final int FRONT = 0;
    static final int BACK = 2;

    private static final Color TUNIC = new Color(0x2ea44a);
    private static final Color TUNIC_DARK = new Color(0x1b6e30);
    private static final Color HOSE = new Color(0xd8303a);
    private static final Color BOOT = new Color(0x6a3a1c);
    private static final Color HAIR = new Color(0xb5652a);

    double hipX;
    double hipY;
    double lean;
    double armFront;
    double armBack;
    double elbowFront;
    double elbowBack;
    double legFront;
    double legBack;
    double kneeFront;
    double kneeBack;
    int view = SIDE;
    boolean startled;
    /** Extra tilt of the whole figure around the hip, for tumbling. */
    double spin;
    double scale = 1;

    Elf(double hipX, double hipY) {
        this.hipX = hipX;
        this.hipY = hipY;
    }

    Elf arms(double front, double back, double elbowF, double elbowB) {
        armFront = front;
        armBack = back;
        elbowFront = elbowF;
        elbowBack = elbowB;
        return this;
    }

    Elf legs(double front, double back, double kneeF, double kneeB) {
        legFront = front;
        legBack = back;
        kneeFront = kneeF;
        kneeBack = kneeB;
        return this;
    }

    Elf view(int v) {
        view = v;
        return this;
    }

    void draw(Graphics2D g) {
        AffineTransform saved = g.getTransform();
        g.rotate(Math.toRadians(spin), hipX, hipY - 4);
        g.translate(hipX, hipY - 4);
        g.scale(scale, scale);
        g.translate(-hipX, -hipY + 4);
        double[] neck = along(hipX, hipY, 180 + lean, 6.2, 1);
        double sideA = view == SIDE ? 0.8 : -3.2;
        double sideB = view == SIDE ? -0.6 : 3.2;
        arm(g, neck, sideB, armBack, elbowBack, view == SIDE ? Ink.mix(TUNIC, Ink.LINE, 0.3) : TUNIC, +1);
        leg(g, view == SIDE ? 0 : 1.8, legBack, kneeBack, view == SIDE ? Ink.mix(HOSE, Ink.LINE, 0.3) : HOSE, +1);
        torso(g, neck);
        leg(g, view == SIDE ? 0.6 : -1.8, legFront, kneeFront, HOSE, -1);
        head(g, neck);
        arm(g, neck, sideA, armFront, elbowFront, TUNIC, -1);
        g.setTransform(saved);
    }

    /** The point at distance len from (x, y) in limb direction a; side flips sideways limbs in front view. */
    private double[] along(double x, double y, double a, double len, int side) {
        double r = Math.toRadians(a);
        double dx = Math.sin(r) * len;
        if (view != SIDE) {
            dx *= side;
        }
        return new double[] {x + dx, y + Math.cos(r) * len};
    }

    private void leg(Graphics2D g, double dx, double a, double knee, Color c, int side) {
        double[] hip = {hipX + dx, hipY};
        double[] k = along(hip[0], hip[1], a, 4.2, side);
        double[] f = along(k[0], k[1], a - knee, 4.2, side);
        limb(g, Ink.path(hip[0], hip[1], k[0], k[1], f[0], f[1]), c, 2.6);
        double toe = view == SIDE ? 1.6 : (view == FRONT ? side * -0.4 : 0);
        Shape boot = Ink.oval(f[0] + toe, f[1] + 0.6, view == SIDE ? 2.6 : 1.7, 1.5);
        Ink.blob(g, boot, BOOT, Ink.LINE, 0.9);
        if (view == SIDE) {
            Ink.line(g, Ink.path(f[0] + 3.6, f[1] + 0.2, f[0] + 4.6, f[1] - 1.2), Ink.LINE, 1.1);
        }
    }

    private void arm(Graphics2D g, double[] neck, double dx, double a, double elbow, Color c, int side) {
        double[] sh = {neck[0] + dx, neck[1] + 1.6};
        double[] e = along(sh[0], sh[1], a, 3.4, side);
        double[] h = along(e[0], e[1], a + elbow, 3.2, side);
        limb(g, Ink.path(sh[0], sh[1], e[0], e[1], h[0], h[1]), c, 2.4);
        Ink.blob(g, Ink.oval(h[0], h[1], 1.45, 1.45), Ink.RED_DARK, Ink.LINE, 0.8);
    }

    private static void limb(Graphics2D g, Path2D p, Color c, double w) {
        g.setColor(Ink.LINE);
        g.setStroke(new BasicStroke((float) (w + 1.6), BasicStroke.CAP_ROUND, BasicStroke.JOIN_ROUND));
        g.draw(p);
        g.setColor(c);
        g.setStroke(new BasicStroke((float) w, BasicStroke.CAP_ROUND, BasicStroke.JOIN_ROUND));
        g.draw(p);
    }

    /** A tunic flaring to a pointed hem, with a black belt and gold buckle. */
    private void torso(Graphics2D g, double[] neck) {
        AffineTransform saved = g.getTransform();
        g.rotate(Math.toRadians(-lean * (view == SIDE ? 1 : 0)), hipX, hipY);
        double top = hipY - 6.2;
        double w = view == SIDE ? 3.2 : 3.6;
        Shape body = Ink.poly(hipX - w + 0.6, top, hipX + w - 0.6, top, hipX + w + 1.4, hipY + 1.2, hipX + 2.8, hipY + 3,
                hipX + 1, hipY + 1.8, hipX - 1, hipY + 3, hipX - 2.8, hipY + 1.8, hipX - w - 1.4, hipY + 3);
        Ink.blob(g, body, TUNIC, Ink.LINE, 1.0);
        Ink.fill(g, Ink.poly(hipX - w - 0.6, hipY - 1.6, hipX + w + 0.6, hipY - 1.6, hipX + w + 1, hipY - 0.2,
                hipX - w - 1, hipY - 0.2), Ink.LINE);
        if (view != BACK) {
            Ink.fill(g, Ink.round(hipX - (view == SIDE ? -0.6 : 1), hipY - 1.8, 2, 1.8, 0.6), Ink.GOLD);
        }
        Ink.fill(g, Ink.poly(hipX - w + 1, top + 1, hipX - w + 2, top + 1, hipX - w + 0.4, hipY - 2.5), TUNIC_DARK);
        g.setTransform(saved);
    }

    private void head(Graphics2D g, double[] neck) {
        double hx = neck[0];
        double hy = neck[1] - 3.4;
        double face = view == SIDE ? 1 : 0;
        ears(g, hx, hy);
        Ink.blob(g, Ink.oval(hx, hy, 3.9, 3.8), view == BACK ? HAIR : Ink.SKIN, Ink.LINE, 1.0);
        if (view == SIDE) {
            Ink.fill(g, Ink.oval(hx + 2.2, hy + 1.6, 1.2, 0.9), new Color(0xf08a8a));
            Ink.blob(g, Ink.oval(hx + 4.1, hy + 0.6, 1.1, 1.0), Ink.SKIN_DARK, null, 0);
            Ink.fill(g, Ink.oval(hx + 2.2 * face, hy - 0.4, startled ? 0.9 : 0.7, startled ? 1.0 : 0.9), Ink.LINE);
        } else if (view == FRONT) {
            Ink.fill(g, Ink.oval(hx - 1.5, hy - 0.3, 0.65, 0.85), Ink.LINE);
            Ink.fill(g, Ink.oval(hx + 1.5, hy - 0.3, 0.65, 0.85), Ink.LINE);
            if (startled) {
                Ink.fill(g, Ink.oval(hx, hy + 2, 0.9, 1.0), Ink.LINE);
            } else {
                Ink.line(g, Ink.path(hx - 1.3, hy + 1.5, hx, hy + 2.3, hx + 1.3, hy + 1.5), Ink.LINE, 0.8);
            }
        }
        hat(g, hx, hy);
    }

    private void ears(Graphics2D g, double hx, double hy) {
        if (view == SIDE) {
            Ink.blob(g, Ink.poly(hx - 1.5, hy - 0.5, hx - 6.5, hy - 2.8, hx - 2, hy + 1.5), Ink.SKIN, Ink.LINE, 0.8);
        } else {
            Ink.blob(g, Ink.poly(hx - 3, hy - 0.5, hx - 6.8, hy - 2.6, hx - 3.2, hy + 1.6), Ink.SKIN, Ink.LINE, 0.8);
            Ink.blob(g, Ink.poly(hx + 3, hy - 0.5, hx + 6.8, hy - 2.6, hx + 3.2, hy + 1.6), Ink.SKIN, Ink.LINE, 0.8);
        }
    }

    /** A floppy red hat whose tip trails behind the elf (or leans aside in the front view). */
    private void hat(Graphics2D g, double hx, double hy) {
        double back = view == SIDE ? -1 : 1;
        double tipX = hx + back * 4.5;
        double tipY = hy - 8.6;
        Path2D cone = new Path2D.Double();
        cone.moveTo(hx - 4.1, hy - 3.2);
        cone.quadTo(hx - 3 + back * 1.5, hy - 7, tipX, tipY);
        cone.quadTo(hx + 2 + back * 1.5, hy - 6.5, hx + 4.1, hy - 3.2);
        cone.closePath();
        Ink.blob(g, cone, Ink.RED, Ink.LINE, 1.0);
        Ink.blob(g, Ink.round(hx - 4.6, hy - 4.6, 9.2, 2.4, 2.4), Ink.SNOW, Ink.LINE, 0.7);
        Ink.blob(g, Ink.oval(tipX, tipY, 1.5, 1.5), Ink.SNOW, Ink.LINE, 0.7);
    }
}
