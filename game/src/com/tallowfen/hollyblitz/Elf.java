package com.tallowfen.hollyblitz;

/**
 * An elf dropped by a sleigh. It falls, opens its parachute at a random
 * height, lands and runs toward the gun; on the way it decorates the first
 * barrack that still takes decorations and vanishes, or it reaches the gun and
 * climbs the ladder. The fourth elf on the ladder turns the gun into a tree.
 * Only elves in the air with a parachute can be shot.
 */
class Elf extends GameObject {

    static final double RUNSPEED = 1.0;
    static final double CLIMBSPEED = 0.7;
    static final int RUNGSPACING = 26;
    static final int LADDERPLACES = 3;

    /** Height past which the parachute opens; -1 once open, or for an elf that never gets one. */
    int chuteHeight;
    /** The elf's canopy; kept after it is taken away on landing or by a hit, cleared when shot. */
    Parachute parachute;

    Elf(HollyBlitz game, Sleigh sleigh) {
        // The box comes from the parachuting picture, for life.
        super(game, HollyBlitz.ELFFALLING, HollyBlitz.ELFPARACHUTING);
        game.elves.add(this);
        setCollisionRect();
        imageRef = HollyBlitz.ELFFALLING;
        anim = 0;
        collidesWithShell = true;
        drawInBackground = false;
        xPos = sleigh.xPos;
        yPos = sleigh.yPos;
        xVel = 0;
        yVel = HollyBlitz.FALLSPEED;
        parachute = null;
        chuteHeight = (int) yPos + 32 + game.randomBelow(48);
        if (chuteHeight < yPos + 34.0) {
            // Too low to open: this elf falls all the way and cannot be hit.
            chuteHeight = -1;
            collidesWithShell = false;
        }
    }

    @Override
    void doMove() {
        switch (gameType) {
            case HollyBlitz.ELFFALLING:
                fallingMove();
                break;
            case HollyBlitz.ELFRUNNINGLR:
            case HollyBlitz.ELFRUNNINGRL:
                runningMove();
                break;
            case HollyBlitz.ELFCLIMBING:
                climbingMove();
                break;
            case HollyBlitz.ELFBOUNCING:
                bouncingMove();
                break;
            case HollyBlitz.ELFBLASTEDLR:
            case HollyBlitz.ELFBLASTEDRL:
                super.doMove();
                break;
            case HollyBlitz.ELFCELEBRATE:
                celebrateMove();
                break;
            default:
                // Decorating and standing on the ladder: the elf stays put.
                break;
        }
    }

    void fallingMove() {
        xPos += xVel;
        yPos += yVel;
        if (chuteHeight > 0 && yPos > chuteHeight) {
            yVel = HollyBlitz.CHUTESPEED;
            parachute = new Parachute(game, this);
            imageRef = HollyBlitz.ELFPARACHUTING;
            chuteHeight = -1;
        }
        if (yPos > HollyBlitz.GROUNDLEVEL) {
            yPos = HollyBlitz.GROUNDLEVEL;
            if (parachute == null) {
                landHard();
            } else {
                landUnderCanopy();
            }
        }
    }

    /** Without a canopy the elf bounces off the ground and hops away from the middle. */
    private void landHard() {
        yVel = -HollyBlitz.FALLSPEED;
        gameType = HollyBlitz.ELFBOUNCING;
        game.playSound(HollyBlitz.ELFBOUNCE);
        collidesWithShell = false;
        if (xPos > game.xScreenSize / 2) {
            imageRef = HollyBlitz.ELFBLASTEDLR;
            xVel = HollyBlitz.FALLSPEED;
        } else {
            imageRef = HollyBlitz.ELFBLASTEDRL;
            xVel = -HollyBlitz.FALLSPEED;
        }
    }

    /** Under a canopy the elf lands on its feet and runs for the gun, or celebrates if the game is lost. */
    private void landUnderCanopy() {
        gameType = HollyBlitz.ELFRUNNINGLR;
        collidesWithShell = false;
        parachute.discard();
        if (game.gun.isTree()) {
            imageRef = HollyBlitz.ELFCELEBRATE;
            gameType = HollyBlitz.ELFCELEBRATE;
            return;
        }
        yVel = 0;
        if (xPos > game.gun.xPos) {
            xVel = -RUNSPEED;
            imageRef = HollyBlitz.ELFRUNNINGRL;
        } else {
            xVel = RUNSPEED;
            imageRef = HollyBlitz.ELFRUNNINGLR;
        }
    }

    void runningMove() {
        xPos += xVel;
        checkDecorate();
        if (checkGunBase()) {
            xPos = game.gun.xPos;
            xVel = 0;
            yVel = -CLIMBSPEED;
            gameType = HollyBlitz.ELFCLIMBING;
            imageRef = HollyBlitz.ELFCLIMBING;
        }
    }

    /** Decorates the first barrack within reach that still takes decorations; says whether it did. */
    boolean checkDecorate() {
        for (int i = 0; i < game.barracks.size(); i++) {
            Barrack barrack = Barrack.at(game, i);
            if (barrack != null && barrack.decorated < Barrack.FULL
                    && barrack.xPos > xPos - width && barrack.xPos < xPos + width) {
                decorate(barrack);
                return true;
            }
        }
        return false;
    }

    /** Whether the elf stands at the foot of the gun's ladder. */
    boolean checkGunBase() {
        return xPos > game.gun.xPos - 3.0 && xPos < game.gun.xPos + 3.0;
    }

    /** One more decoration on the barrack; the elf plays its decorating animation once and is gone. */
    void decorate(Barrack barrack) {
        barrack.addDecoration(this);
        game.playSound(HollyBlitz.ELFDECORATE);
        gameType = HollyBlitz.ELFDECORATING;
        imageRef = HollyBlitz.ELFDECORATING;
        cycleOnce = true;
    }

    /** Climbs to the next free rung; the fourth elf to arrive turns the gun into a tree. */
    void climbingMove() {
        int targetHeight = HollyBlitz.GROUNDLEVEL - game.gun.elvesOnLadder() * RUNGSPACING;
        yPos += yVel;
        if (yPos < targetHeight) {
            yPos = targetHeight;
            yVel = 0;
            if (game.gun.takeLadderElf() > LADDERPLACES) {
                gunToTree();
            } else {
                gameType = HollyBlitz.ELFLADDER;
                imageRef = HollyBlitz.ELFLADDER;
            }
        }
    }

    /** Hops off the screen, each hop starting at the same speed. */
    void bouncingMove() {
        xPos += xVel;
        yPos += yVel;
        yVel += HollyBlitz.GRAVITY;
        if (yPos > HollyBlitz.GROUNDLEVEL) {
            yPos = HollyBlitz.GROUNDLEVEL;
            yVel = -HollyBlitz.FALLSPEED;
        }
        if (xPos > game.xScreenSize + width) {
            discard();
        } else if (xPos < -width) {
            discard();
        }
    }

    /** A celebrating elf stays where it is. */
    void celebrateMove() {
    }

    /** Shot in the air: a point, a cry, and the elf flies off along the shell's path without its canopy. */
    @Override
    void doBlasted(Shell shell, GameObject elf) {
        game.addPoints(1);
        collidesWithShell = false;
        gameType = HollyBlitz.ELFBLASTEDLR;
        game.playSound(HollyBlitz.ELFHIT1 + game.randomBelow(7));
        imageRef = xPos >= game.gun.xPos ? HollyBlitz.ELFBLASTEDLR : HollyBlitz.ELFBLASTEDRL;
        setBlastVector(shell, this);
        if (parachute != null) {
            parachute.discard();
        }
    }

    /** The canopy was shot away: the elf drops at full speed and can no longer be hit. */
    void loseParachute() {
        yVel = HollyBlitz.FALLSPEED;
        imageRef = HollyBlitz.ELFFALLING;
        collidesWithShell = false;
        parachute = null;
    }

    /** The gun becomes the tree and the game ends; the change puff is made from this object. */
    void gunToTree() {
        game.gun.turnIntoTree(new Smoke(game, this));
    }

    @Override
    void discard() {
        game.elves.remove(this);
    }
}
