// bot-arena: computer opponents play each other off the screen, as fast as the machine allows.
#include <cstdio>
#include <string>

#include "arena_match.h"
#include "arena_options.h"
#include "game/replay/replay_verify.h"
#include "game/sim/board.h"

namespace {

struct totals {
    int wins = 0, draws = 0, losses = 0;
    side_tally sum;
};

double percent(int part, int whole) {
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

void print_side(const char* name, const arena_player& p, const totals& t, const totals& other) {
    const side_tally& s = t.sum;
    // Missiles the other side's flares took down never had the chance to hit.
    const int reached = s.shots - other.sum.intercepts;
    std::printf("%-4s %-15s %5d %5d %6d %6d %5d %6.1f%% %6.1f%% %6d %6d %6.1f%%\n", name, describe(p).c_str(),
                t.wins, t.draws, t.losses, s.shots, s.hits, percent(s.hits, s.shots),
                percent(s.hits, reached), s.flares, s.intercepts,
                percent(s.intercepts, s.intercepts + s.hits_taken_with_flares));
}

}  // namespace

int main(int argc, char** argv) {
    arena_options options;
    std::string problem;
    if (!parse_arena_options(argc, argv, options, problem)) {
        std::fprintf(stderr, "bot-arena: %s\n%s", problem.c_str(), arena_usage());
        return 2;
    }
    if (options.help) {
        std::fputs(arena_usage(), stdout);
        return 0;
    }
    // No window: the pictures the step names are known, none is loaded.
    build_board_without_window();
    totals blue, red;
    long long steps = 0;
    for (int i = 0; i < options.matches; ++i) {
        const arena_result r = play_arena_match(options, options.seed + static_cast<std::uint32_t>(i));
        steps += r.steps;
        blue.wins += r.winner == 0;
        blue.losses += r.winner == 1;
        blue.draws += r.winner < 0;
        red.wins += r.winner == 1;
        red.losses += r.winner == 0;
        red.draws += r.winner < 0;
        const side_tally* sides[2] = {&r.tally.sides[0], &r.tally.sides[1]};
        for (int s = 0; s < 2; ++s) {
            totals& t = s == 0 ? blue : red;
            t.sum.shots += sides[s]->shots;
            t.sum.hits += sides[s]->hits;
            t.sum.self_hits += sides[s]->self_hits;
            t.sum.flares += sides[s]->flares;
            t.sum.intercepts += sides[s]->intercepts;
            t.sum.hits_taken_with_flares += sides[s]->hits_taken_with_flares;
        }
    }
    std::printf("%d matches from seed %u, mean length %.1f s\n", options.matches, options.seed,
                steps / 100.0 / options.matches);
    std::printf("%-4s %-15s %5s %5s %6s %6s %5s %7s %7s %6s %6s %7s\n", "side", "player", "wins", "draws",
                "losses", "shots", "hits", "hit%", "hit%*", "flares", "caught", "caught%");
    print_side("blue", options.blue, blue, red);
    print_side("red", options.red, red, blue);
    std::printf(
        "hit%%* counts only shots the other side did not intercept; caught%% is of the missiles that"
        " hit or were caught while the side had flares\n");
    return 0;
}
