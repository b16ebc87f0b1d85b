package com.tallowfen.artgen;

final class Barracks {
    private Barracks() {
    }

    static Painter stage(int n) {
        return Placeholder.of(Ink.GREEN, "B" + n);
    }
}
