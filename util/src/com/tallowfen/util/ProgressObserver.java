package com.tallowfen.util;

/** Follows a preload of all images: told the fraction done, from 0 to 1, as it advances. */
public interface ProgressObserver {
    void updateProgress(double fraction);
}
