package com.tallowfen.hollyblitz;

import static org.junit.jupiter.api.Assertions.assertEquals;

import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class GeometryTest {

    private final HollyBlitz game = new HollyBlitz();

    @ParameterizedTest(name = "({0}, {1}) -> {2} pi")
    @CsvSource({
        "0, 0, 0",
        "0, 5, 1",
        "0, -5, 0",
        "5, 0, 0.5",
        "-5, 0, 1.5",
        "1, -1, 0.25",
        "1, 1, 0.75",
        "-1, 1, 1.25",
        "-1, -1, 1.75",
        "3, -0.0001, 0.49999",
    })
    void vectorToAngleMeasuresClockwiseFromStraightUp(double x, double y, double piFraction) {
        assertEquals(piFraction * Math.PI, Geometry.vectorToAngle(x, y), 1e-4);
    }

    @Test
    void vectorToAngleAgreesWithAtan2OnEveryQuadrant() {
        for (int deg = 1; deg < 360; deg += 7) {
            double rad = Math.toRadians(deg);
            double x = Math.sin(rad);
            double y = -Math.cos(rad);
            assertEquals(rad, Geometry.vectorToAngle(x, y), 1e-9, "heading " + deg);
        }
    }

    @ParameterizedTest(name = "({0}, {1}) -> ({2}, {3})")
    @CsvSource({
        "-0.5, -0.7, 0, 0",
        "2.9, 471.99, 2, 471",
        "-3.9, -94.4, -3, -94",
        "600.5, 0.0, 600, 0",
    })
    void setIntPositionDropsTheFractionTowardZero(double x, double y, int xi, int yi) {
        GameObject o = new GameObject(game);
        o.xPos = x;
        o.yPos = y;
        game.setIntPosition(o);
        assertEquals(xi, o.xIntPos);
        assertEquals(yi, o.yIntPos);
    }

    @Test
    void distanceIsBetweenCentres() {
        GameObject a = new GameObject(game);
        GameObject b = new GameObject(game);
        a.xPos = 10;
        a.yPos = 20;
        b.xPos = 7;
        b.yPos = 24;
        assertEquals(5.0, Geometry.distance(a, b), 1e-12);
        assertEquals(5.0, Geometry.distance(b, a), 1e-12);
    }

    @Test
    void headingsTurnIntoRadians() {
        assertEquals(Math.PI, game.toRadians(180), 1e-15);
        assertEquals(-Math.PI / 2, game.toRadians(-90), 1e-15);
    }
}
