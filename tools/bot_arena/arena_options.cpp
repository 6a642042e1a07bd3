#include "arena_options.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/sim/global.h"
#include "game/sim/opponent_kind.h"

namespace {

const char* const KINDS[ARENA_KINDS] = {"classic", "gunner", "idle", "newcomer"};
const char* const LEVELS[] = {"", "hard", "medium", "", "easy"};

// 64 bits on every target: a seed takes all 32 bits, which a long of a 32-bit target cannot hold.
bool parse_count(const char* text, std::int64_t low, std::int64_t high, std::int64_t& out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (*text == '\0' || errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

bool scripted(int kind) {
    return kind == ARENA_IDLE || kind == ARENA_NEWCOMER;
}

// KIND:LEVEL for a computer, as "gunner:hard"; KIND alone for a scripted person, as "newcomer".
bool parse_player(const std::string& text, arena_player& out) {
    const std::size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    int k = -1;
    for (int i = 0; i < ARENA_KINDS; ++i)
        if (kind == KINDS[i])
            k = i;
    if (k < 0 || scripted(k) != (colon == std::string::npos))
        return false;
    int l = scripted(k) ? 0 : -1;
    for (int d : {global::EASY, global::MEDIUM, global::HARD})
        if (!scripted(k) && text.substr(colon + 1) == LEVELS[d])
            l = d;
    if (l < 0)
        return false;
    out = {k, l};
    return true;
}

}  // namespace

const char* arena_usage() {
    return "Usage: bot-arena [--blue PLAYER] [--red PLAYER] [--matches N] [--seed S] [--max-steps N]\n"
           "Plays N matches (default 200) between two players without a window, and prints for each side\n"
           "its wins, draws, losses, shots, hit rate, hits on its own station, flares, intercepts and the\n"
           "mean match length.\n"
           "  PLAYER  a computer as KIND:LEVEL, or a scripted person: idle or newcomer\n"
           "  KIND    classic (the fixed firing table) or gunner (plans its shots by trial)\n"
           "  LEVEL   easy, medium or hard\n"
           "  idle      presses nothing\n"
           "  newcomer  a first day's play: aims along the line to the other station, give or take\n"
           "            0.5 rad, holds fire 0.3 to 1.5 s every 2 to 3 s, never throws a flare\n"
           "  --blue     default gunner:medium     --red        default classic:hard\n"
           "  --seed S   match i is seeded S + i (default 1)\n"
           "  --max-steps N  a match still running after N logic steps is a draw (default 60000)\n";
}

std::string describe(const arena_player& p) {
    return scripted(p.kind) ? KINDS[p.kind] : std::string(KINDS[p.kind]) + " " + LEVELS[p.level];
}

bool parse_arena_options(int argc, char** argv, arena_options& out, std::string& problem) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out.help = true;
            continue;
        }
        if (arg != "--blue" && arg != "--red" && arg != "--matches" && arg != "--seed" &&
            arg != "--max-steps") {
            problem = "unknown argument " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            problem = "missing value after " + arg;
            return false;
        }
        const char* value = argv[++i];
        std::int64_t n = 0;
        bool ok = true;
        if (arg == "--blue") {
            ok = parse_player(value, out.blue);
        } else if (arg == "--red") {
            ok = parse_player(value, out.red);
        } else if (arg == "--matches") {
            ok = parse_count(value, 1, 1000000, n);
            out.matches = static_cast<int>(n);
        } else if (arg == "--seed") {
            ok = parse_count(value, 0, 4294967295, n);
            out.seed = static_cast<std::uint32_t>(n);
        } else {
            ok = parse_count(value, 1, 100000000, n);
            out.max_steps = static_cast<int>(n);
        }
        if (!ok) {
            problem = "bad value for " + arg + ": \"" + value + "\"";
            return false;
        }
    }
    return true;
}
