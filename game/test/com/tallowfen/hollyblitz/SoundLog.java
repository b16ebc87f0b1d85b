package com.tallowfen.hollyblitz;

import java.util.ArrayList;
import java.util.List;

/** A game that notes the sounds it is asked to play instead of playing them. */
class SoundLog extends HollyBlitz {

    private static final long serialVersionUID = 1L;

    final List<Integer> sounds = new ArrayList<Integer>();

    @Override
    void playSound(int soundRef) {
        sounds.add(soundRef);
    }

    /** A prepared game in PLAYING with gun, base, barracks and a scheduler, drawing from `r`. */
    static SoundLog playing(ScriptedRandom r) {
        SoundLog game = TestWorld.prepare(new SoundLog());
        game.startGame();
        game.r = r;
        return game;
    }
}
