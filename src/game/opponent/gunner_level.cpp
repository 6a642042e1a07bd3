#include "game/opponent/gunner_level.h"

#include "game/sim/global.h"
#include "game/sim/rules.h"

gunner_level gunner_level_for(int difficulty) {
    // Easy reacts slowly, looks at a handful of shots, misses by a hand's width and never defends;
    // Hard thinks fast, searches and refines until a trial hits, and answers every threat it sees.
    static const gunner_level easy = {120, 400, 5, 0.5f, 2, 0, 0.16f, 0.30f, 3, 300, 0, 0, 0};
    static const gunner_level medium = {50, 500, 9, 0.6f, 3, 2, 0.05f, 0.10f, 2, 120, 30, 50, 1};
    static const gunner_level hard = {40, 600, 13, 0.7f, 4, 6, 0.0f, 0.0f, FULL_MISSILES, 20, 6, 100, 0};
    switch (difficulty) {
        case global::EASY:
            return easy;
        case global::HARD:
            return hard;
        default:
            return medium;
    }
}
