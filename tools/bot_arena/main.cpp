// bot-arena: computer opponents play each other, or scripted people, off the screen, as fast as the machine
// allows.
#include <cstdio>
#include <string>

#include "arena_options.h"
#include "arena_series.h"

namespace {

double percent(int part, int whole) {
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

void print_side(const char* name, const arena_player& p, const arena_side_totals& t,
                const arena_side_totals& other) {
    const side_tally& s = t.sum;
    // Missiles the other side's flares took down never had the chance to hit.
    const int reached = s.shots - other.sum.intercepts;
    std::printf("%-4s %-15s %5d %5d %6d %6d %5d %6.1f%% %6.1f%% %5d %6.1f%% %6d %6d %6.1f%%\n", name,
                describe(p).c_str(), t.wins, t.draws, t.losses, s.shots, s.hits, percent(s.hits, s.shots),
                percent(s.hits, reached), s.self_hits, percent(s.self_hits, s.shots), s.flares, s.intercepts,
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
    const arena_totals t = play_arena_series(options);
    std::printf("%d matches from seed %u, mean length %.1f s\n", options.matches, options.seed,
                t.steps / 100.0 / options.matches);
    std::printf("%-4s %-15s %5s %5s %6s %6s %5s %7s %7s %5s %7s %6s %6s %7s\n", "side", "player", "wins",
                "draws", "losses", "shots", "hits", "hit%", "hit%*", "self", "self%", "flares", "caught",
                "caught%");
    print_side("blue", options.blue, t.sides[0], t.sides[1]);
    print_side("red", options.red, t.sides[1], t.sides[0]);
    std::printf(
        "hit%%* counts only shots the other side did not intercept; caught%% is of the missiles that"
        " hit or were caught while the side had flares; self counts its own missiles that hit it\n");
    return 0;
}
