// A headless online player for the router matrix: the game's own run (board, lockstep session, the way
// through the rendezvous server and the router's mapping) with no window, at the game's 100 steps a
// second. It hosts ("Host online") or joins by code, plays scripted commands drawn from a seed for a
// number of seconds of match, and prints, one item a line: "code C" (host), "connect_ms N" (from the
// start to the match's first step), then "path P" and "hash H" (the board after the last step).
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "game/config/settings.h"
#include "game/netplay/network_match.h"
#include "game/run/run.h"
#include "game/sim/board.h"
#include "game/sim/state_hash.h"

namespace {

constexpr std::uint16_t GAME_PORT = 24816;
constexpr double STEP = 0.01;
constexpr double CONNECT_LIMIT = 15;  // seconds to find the other side before giving up
// A host waits for the other side from its code told, as a person's program waits while the code is
// passed on: the joiner has CONNECT_LIMIT of its own once it has started, which a loaded machine takes
// a while to do.
constexpr double HOST_WAIT = 2 * CONNECT_LIMIT;
constexpr double LINGER = 2;          // seconds of answering the other side after the last step

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int usage() {
    std::fprintf(stderr,
                 "usage: online-player host SERVER[:PORT] SECONDS | join SERVER[:PORT] CODE SECONDS\n");
    return 2;
}

// What a player does now and then: turn, stop turning, charge, fire, throw a flare.
void scripted_turn(std::mt19937& dice) {
    static const station_command moves[] = {CMD_TURN_CW_ON,   CMD_TURN_CW_OFF, CMD_TURN_CCW_ON,
                                            CMD_TURN_CCW_OFF, CMD_CHARGE,      CMD_RELEASE,
                                            CMD_FLARE};
    if (dice() % 20 == 0) {
        submit_station_command(network_match::own_side(), moves[dice() % (sizeof moves / sizeof moves[0])]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string role = argc > 1 ? argv[1] : "";
    const bool hosting = role == "host";
    if (!(hosting && argc == 4) && !(role == "join" && argc == 5)) {
        return usage();
    }
    const double play_seconds = std::atof(argv[argc - 1]);
    const long steps_wanted = static_cast<long>(play_seconds / STEP + 0.5);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    build_board_without_window();
    global::settings.rendezvous_server = argv[2];
    std::string error;
    const double start = seconds_now();
    if (!(hosting ? run::host_online(GAME_PORT, error) : run::join_code(argv[3], error))) {
        std::fprintf(stderr, "online-player: %s\n", error.c_str());
        return 1;
    }
    // Each side its own seed: the boards agree only if both sides' commands reach both.
    std::mt19937 dice(hosting ? 1 : 2);
    bool code_told = false;
    long steps = 0;
    double backlog = 0, last = start, finished_at = -1, waiting_since = start;
    while (network_match::active()) {
        const double now = seconds_now();
        const double wait_limit = code_told ? HOST_WAIT : CONNECT_LIMIT;
        if ((steps == 0 && now - waiting_since > wait_limit) ||
            now - waiting_since > wait_limit + 3 * play_seconds + 10) {
            std::fprintf(stderr, "online-player: out of time after %ld steps\n", steps);
            return 1;
        }
        run::poll();
        // Told once the screen says what the router answered, as a person reads it out then: the
        // server has the mapping by the time the other player types the code.
        if (hosting && !code_told && !network_match::invite_code().empty() &&
            network_match::note().find("Asking the router") == std::string::npos) {
            std::printf("code %s\n", network_match::invite_code().c_str());
            code_told = true;
            waiting_since = now;
        }
        backlog = std::min(backlog + (now - last), 0.25);
        last = now;
        while (finished_at < 0 && backlog >= STEP && run::step_ready()) {
            backlog -= STEP;
            if (!network_match::playing()) {
                run::step();
                continue;
            }
            if (steps == 0) {
                std::printf("connect_ms %d\n", static_cast<int>((now - start) * 1000));
            }
            scripted_turn(dice);
            run::step();
            if (++steps == steps_wanted) {
                // The path is known by now: the host learns it in the poll after the one that connected.
                std::printf("path %s\nhash %016" PRIx64 "\n", network_match::path().c_str(), state_hash());
                finished_at = now;
            }
        }
        if (finished_at >= 0 && now - finished_at > LINGER) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::fprintf(stderr, "online-player: the session ended after %ld steps\n", steps);
    return 1;
}
