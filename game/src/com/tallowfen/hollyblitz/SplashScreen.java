package com.tallowfen.hollyblitz;

/**
 * One of the game's full panels (sky, landscape, front, end and back screens,
 * score entry), placed so that its picture's top-left corner sits at the
 * play area's origin until the shell moves it.
 */
class SplashScreen extends GameObject {

    SplashScreen(HollyBlitz game, int screenType) {
        super(game, screenType, screenType);
        anim = 0;
        setCollisionRect();
        xPos = width;
        yPos = height;
        collidesWithShell = false;
    }
}
