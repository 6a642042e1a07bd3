#pragma once

// Play as the menus and keys would drive it, through the real recorder, for the recording tests.

#include <random>
#include <string>
#include <vector>

#include "game/replay/match_recorder.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/sim/state_hash.h"
#include "game/sim/station_input.h"

// A written recording and the state hash the live board had when it was closed.
struct closed_match {
    std::string file;
    std::uint64_t live_hash;
};

// Plays as the menus and keys would: matches begin on a reset board, players press random keys, pause,
// resume, and leave or start over now and then.
class CSession {
  public:
    explicit CSession(unsigned seed) : rng(seed) {}

    std::vector<closed_match> closed;

    void begin_match(int players, int difficulty) {
        leave();
        global::players = players;
        global::difficulty = difficulty;
        global::game_state = global::ON;
        global::menu_state = global::NONE;
    }
    // Leaving resets the board, which writes the open match.
    void leave() {
        const std::uint64_t live = state_hash();
        run::clear_board();
        note_written(live);
    }
    void step() {
        run::step();
        if (global::game_state == global::ENDED)
            note_written(state_hash());
    }
    void random_inputs() {
        if (global::game_state == global::PAUSED) {
            if (chance(0.02))
                submit_match_command(MATCH_RESUME);
            return;
        }
        if (global::game_state != global::ON)
            return;
        if (chance(0.002)) {
            submit_match_command(MATCH_PAUSE);
            return;
        }
        for (station_side side : {BLUE_STATION, RED_STATION}) {
            if (side == RED_STATION && global::players == global::SINGLE)
                continue;
            if (chance(0.08))
                submit_station_command(side, static_cast<station_command>(pick(STATION_COMMANDS)));
        }
    }
    // `steps` steps of random play.
    void play(int steps) {
        for (int i = 0; i < steps; ++i) {
            random_inputs();
            step();
        }
    }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  private:
    void note_written(std::uint64_t live) {
        const std::string& file = match_recorder::last_file();
        if (!file.empty() && (closed.empty() || closed.back().file != file))
            closed.push_back({file, live});
    }

    std::mt19937 rng;
};
