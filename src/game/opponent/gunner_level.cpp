#include "game/opponent/gunner_level.h"

#include "game/sim/global.h"

gunner_level gunner_level_for(int difficulty) {
    // Measured against scripted people in bot-arena (README, "Computer opponents"). Easy is a beginner:
    // slow to react, a handful of shots looked at, a shaky hand, long pauses and no flares, so that a
    // person on their first day wins about half the time. Medium is a casual player: quicker, looks
    // wider, still shaky, answers one threat in five. Hard is a strong player: thinks fast, refines until
    // a trial hits, misses about a shot in three with a steady but human hand, answers every threat.
    static const gunner_level easy = {120, 400, 5, 0.5f, 2, 0, 0.3f, 0.3f, 6, 3, 150, 0, 0, 0};
    static const gunner_level medium = {50, 500, 9, 0.6f, 3, 2, 0.3f, 0.3f, 4, 2, 200, 30, 20, 1};
    static const gunner_level hard = {40, 600, 13, 0.7f, 4, 6, 0.1f, 0.05f, 3, 3, 20, 6, 100, 0};
    switch (difficulty) {
        case global::EASY:
            return easy;
        case global::HARD:
            return hard;
        default:
            return medium;
    }
}
