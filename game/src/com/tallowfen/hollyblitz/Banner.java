package com.tallowfen.hollyblitz;

/**
 * The maker's flag, towed behind some sleighs of the highest sky layer. It
 * keeps the speed its sleigh had when it was made and flies on by itself.
 */
class Banner extends GameObject {

    Banner(HollyBlitz game, Sleigh sleigh) {
        super(game, HollyBlitz.BANNER, HollyBlitz.BANNER);
        game.banners.add(this);
        anim = 0;
        setCollisionRect();
        yPos = sleigh.yPos;
        // Trails the sleigh with the two boxes touching.
        if (sleigh.xVel > 0) {
            xPos = sleigh.xPos - (sleigh.width + width);
        } else {
            xPos = sleigh.xPos + (sleigh.width + width);
        }
        xVel = sleigh.xVel;
        collidesWithShell = false;
    }

    @Override
    void discard() {
        game.banners.remove(this);
    }
}
