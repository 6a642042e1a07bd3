#include "game/opponent/opponent_turn.h"

#include <optional>

#include "game/opponent/gunner.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/opponent_kind.h"

namespace {

struct red_player {
    std::optional<CGunner> gunner;
    std::uint32_t seed = 0;
    int difficulty = 0;
    std::uint64_t step = 0;  // the match clock's step at its last thought
};
red_player red;

}  // namespace

void opponent_turn(CGunner::key_press press) {
    using namespace global;
    if (players != SINGLE || opponent != GUNNER_OPPONENT || game_state != ON || station1 == nullptr ||
        station2 == nullptr)
        return;
    const std::uint64_t step = match_clock::step();
    const bool new_match = !red.gunner || step < red.step || (step == 0 && red.step != 0) ||
                           red.seed != match_clock::seed() || red.difficulty != difficulty;
    if (new_match) {
        red.gunner.emplace(RED_STATION, difficulty, match_clock::seed());
        red.seed = match_clock::seed();
        red.difficulty = difficulty;
    }
    red.step = step;
    red.gunner->think(press);
}
