package com.tallowfen.hollyblitz;

import com.tallowfen.util.ProgressObserver;

/** A progress observer for image loading that shows nothing: the game loads before its window appears. */
class Target implements ProgressObserver {

    @Override
    public void updateProgress(double fraction) {
    }
}
