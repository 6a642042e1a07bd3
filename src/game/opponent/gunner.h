#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "game/opponent/gunner_level.h"
#include "game/opponent/key_table.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/match_dice.h"
#include "game/sim/station_input.h"

// The computer opponent that aims: it tries shots on a trial copy of the board with the real logic step,
// turns and charges toward the best one with the keys a player has, and throws flares at missiles its
// trials show hitting it. Its choices come from the board and from dice seeded with the match's seed, so
// a match plays the same every time; its keys are pressed through the entry point it is given, the one
// a player's keys go through.
class CGunner {
  public:
    CGunner(station_side side, int difficulty, std::uint32_t seed);

    // How a key is pressed: the run's submit_station_command.
    using key_press = void (*)(station_side side, station_command command);

    // Once before each logic step of a running match.
    void think(key_press press);

    // The flight its last missile was predicted to fly by its trial on the board of the release: the
    // missile's position after each step. Empty before the first release.
    const std::vector<CVector>& predicted_flight() const { return flight; }
    // The think() count at that release, or -1.
    long long last_release() const { return released_at; }

  private:
    enum phase { IDLE, PLANNING, STEADYING, AIMING };
    struct shot {
        bool quick;  // released on the quick board, with at most QUICK_DELAY steps of turn and charge
        bool clockwise;
        int turns;         // steps the turn key is held
        int charge_steps;  // steps the fire key is held
        float miss;        // nearest approach in its trial, worse for a missile still flying; 0 for a hit
        bool loose;        // still flying at the end of its trial
    };
    struct flare_try {
        int throw_step;  // after the threat was seen
        bool clockwise;
        int turns;
    };

    // Whether `steps` more trial steps fit in this think's budget.
    bool afford(int steps) const { return spent + steps <= level.trial_budget; }
    bool may_look_for_threats() const;
    void look_for_threats();
    void list_flare_tries(const std::vector<CVector>& station_at, const std::vector<CVector>& incoming);
    void run_threat_trial(int from, int to);
    void try_flares();
    void defend();
    void start_plan();
    void search();
    void try_shot(shot& s, std::vector<CVector>* path);
    void add_neighbours();
    shot with_hand_error(const shot& planned);
    void steady_hand();
    void commit(const shot& s, std::vector<CVector>& path);
    void aim_and_fire();
    shot shot_towards(bool quick, float aim, int charge_steps) const;
    float spread(float width);
    void rest();
    void press(station_command command);
    void release_turn_keys();

    station_side side;
    gunner_level level;
    CMatchDice dice;
    key_press press_key = nullptr;  // the one given to this think()
    long long now = 0;              // think() calls so far
    int spent = 0;                  // trial steps run in this think
    phase state = IDLE;
    long long rest_until = 0;
    long long next_threat_check = 0;
    long long ignore_threats_until = 0;
    key_table keys{};

    // The shot being planned: the boards at its two release steps with the station waiting (quick and
    // full), and what was tried.
    long long plan_start = 0;
    std::optional<CBoardSnapshot> release_board[2];
    std::vector<shot> tried;
    std::size_t next_try = 0;
    int refine_left = 0;
    std::optional<shot> best;
    std::vector<CVector> best_flight;
    int hand_draws = 0;  // errors drawn for the hand that fires the best shot

    // The threat being answered: the board when it was seen, the flares to try, the blast's step.
    bool answering = false;
    long long threat_seen = 0;
    std::optional<CBoardSnapshot> threat_board;
    std::vector<flare_try> flare_tries;
    std::size_t next_flare = 0;
    int hit_step = 0;

    // The keys' timetable, in think() counts.
    shot chosen{};
    long long turn_from = 0;
    long long charge_at = 0;
    long long release_at = 0;
    shot defence{};
    long long defence_from = 0;
    long long flare_at = -1;  // when the planned flare is thrown, -1 for none
    bool held_cw = false;
    bool held_ccw = false;
    bool held_charge = false;

    std::vector<CVector> flight;
    long long released_at = -1;
};
