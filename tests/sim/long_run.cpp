#include <cmath>
#include <cstdlib>

#include "board.h"
#include "game/sim/match_clock.h"

using namespace sim_board;

namespace {

struct end_state {
    int steps_run = 0;
    int matches_ended = 0;
    int particles = 0;
    int missiles = 0;
    int counter = 0;
    int shields[2] = {0, 0};
    int rockets[2] = {0, 0};
    int flares[2] = {0, 0};
    double position_sum = 0;
    int most_particles = 0;
};

// The blue side is a scripted player pressing keys on a fixed rhythm; the red side is the computer.
// Enter after a match ends starts the next one, as the input callbacks do.
end_state play(unsigned seed, int n_steps) {
    match_clock::begin(seed);
    restart();
    global::game_state = global::ON;
    global::players = global::SINGLE;
    global::difficulty = global::MEDIUM;
    global::CStation* blue = global::station1;
    end_state out;
    for (int step = 0; step < n_steps; ++step) {
        int phase = step % 600;
        blue->cw = phase < 40;
        blue->ccw = phase >= 300 && phase < 330;
        if (phase % 97 == 0)
            blue->loading = true;
        if (phase % 97 == 60 && blue->loading) {
            blue->shoot_rocket(texture_id("missile"));
            blue->loading = false;
            blue->loaded = 0;
        }
        if (phase == 250 && blue->flares > 0)
            blue->shoot_flare(texture_id("missile"));
        if (step % 5000 == 2500) {
            global::game_state = global::PAUSED;
        } else if (step % 5000 == 2600) {
            global::game_state = global::ON;
        }
        program_logic();
        ++out.steps_run;
        if (global::game_state == global::ENDED) {
            ++out.matches_ended;
            restart();
            global::game_state = global::ON;
        }
        int n = static_cast<int>(particles.size());
        if (n > out.most_particles)
            out.most_particles = n;
    }
    out.particles = static_cast<int>(particles.size());
    out.missiles = count(global::ROCKET);
    out.counter = global::counter;
    for (int i = 0; i < 2; ++i) {
        global::CStation* s = i == 0 ? global::station1 : global::station2;
        out.shields[i] = s->shields;
        out.rockets[i] = s->rockets;
        out.flares[i] = s->flares;
    }
    for (CParticle* p : particles)
        out.position_sum += p->pos.x + p->pos.y;
    return out;
}

class LongRun : public Board {};

TEST_F(LongRun, SeededDuelIsStableAndRepeatable) {
    end_state a = play(20261208, 100000);
    end_state b = play(20261208, 100000);
    EXPECT_EQ(a.steps_run, 100000);
    // The duel really happened: matches were won and lost, the board filled up.
    EXPECT_GT(a.matches_ended, 0);
    EXPECT_GT(a.most_particles, 200);
    // The fixed bodies are still at the head of the list.
    EXPECT_EQ(*particles.begin(), &global::background);
    EXPECT_TRUE(std::isfinite(a.position_sum));

    EXPECT_EQ(a.matches_ended, b.matches_ended);
    EXPECT_EQ(a.particles, b.particles);
    EXPECT_EQ(a.most_particles, b.most_particles);
    EXPECT_EQ(a.missiles, b.missiles);
    EXPECT_EQ(a.counter, b.counter);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(a.shields[i], b.shields[i]);
        EXPECT_EQ(a.rockets[i], b.rockets[i]);
        EXPECT_EQ(a.flares[i], b.flares[i]);
    }
    EXPECT_EQ(a.position_sum, b.position_sum);
    std::printf("matches ended %d, peak particles %d, final particles %d\n", a.matches_ended,
                a.most_particles, a.particles);
}

}  // namespace
