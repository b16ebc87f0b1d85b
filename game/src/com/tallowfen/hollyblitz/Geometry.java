package com.tallowfen.hollyblitz;

/** Plane geometry of the play area: y grows downward, headings grow clockwise from straight up. */
final class Geometry {

    private Geometry() {
    }

    /** Distance between the centres of two objects. */
    static double distance(GameObject a, GameObject b) {
        double dx = b.xPos - a.xPos;
        double dy = b.yPos - a.yPos;
        return Math.sqrt(dx * dx + dy * dy);
    }

    /** Heading of a vector in radians, 0 straight up and growing clockwise, y pointing down. */
    static double vectorToAngle(double xDiff, double yDiff) {
        if (xDiff == 0) {
            return yDiff > 0 ? HollyBlitz.PI : 0;
        }
        if (yDiff == 0) {
            return xDiff > 0 ? HALF_PI : THREE_HALVES_PI;
        }
        if (xDiff > 0) {
            return yDiff > 0 ? HALF_PI + Math.atan(yDiff / xDiff) : Math.atan(-xDiff / yDiff);
        }
        return yDiff > 0 ? HollyBlitz.PI + Math.atan(-xDiff / yDiff) : THREE_HALVES_PI + Math.atan(yDiff / xDiff);
    }

    private static final double HALF_PI = 1.5707963267948966;
    private static final double THREE_HALVES_PI = 4.71238898038469;
}
