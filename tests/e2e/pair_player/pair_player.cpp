// A headless network player for the tests of how matches end: the game's own run (board, session,
// recorder) with no window, at the game's 100 steps a second, recording every match under replays/ in
// its working folder. It hosts or joins by address and ends the session the way it is told:
//   result     the host's gunner plays until the joiner's idle station is destroyed; the host leaves
//   newgame    the host pauses and asks for a new match after 3 s, the joiner accepts; the host leaves
//              1 s into the next match
//   decline    the host pauses and asks after 3 s, the joiner declines; the host leaves 1 s later
//   leave      the host leaves after 3 s
//   lost       both play until the connection is lost (the test cuts the line)
//   outofsync  the joiner's board takes a shield point from blue after 1.5 s, on that board alone
// It prints "ended NOTE" (the note the player would read, "-" for none) and exits 0 once the session
// is over, 1 when it runs out of time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "game/netplay/network_match.h"
#include "game/opponent/gunner.h"
#include "game/replay/match_recorder.h"
#include "game/run/run.h"
#include "game/sim/board.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"

namespace {

constexpr double STEP = 0.01;
constexpr double TIME_LIMIT = 120;  // seconds for the whole session

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int usage() {
    std::fprintf(stderr, "usage: pair-player host PORT ENDING | join HOST PORT ENDING\n");
    return 2;
}

// What the player's hands do before a step.
class CHands {
  public:
    CHands(bool gunner, unsigned seed) : gunner_(gunner), dice_(seed) {}
    void act() {
        if (!gunner_) {
            static const station_command moves[] = {CMD_TURN_CW_ON, CMD_TURN_CW_OFF, CMD_CHARGE, CMD_RELEASE,
                                                    CMD_FLARE};
            if (dice_() % 20 == 0)
                submit_station_command(network_match::own_side(), moves[dice_() % 5]);
            return;
        }
        // A gunner of its own for each match, as the game gives single play.
        if (!aim_ || match_clock::step() == 0)
            aim_.emplace(network_match::own_side(), global::HARD, dice_());
        aim_->think(submit_station_command);
    }

  private:
    bool gunner_;
    std::mt19937 dice_;
    std::optional<CGunner> aim_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string role = argc > 1 ? argv[1] : "";
    const bool hosting = role == "host";
    if (!(hosting && argc == 4) && !(role == "join" && argc == 5))
        return usage();
    const std::string ending = argv[argc - 1];
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    build_board_without_window();
    match_recorder::start("replays");
    std::string error;
    const bool started = hosting ? run::host(static_cast<std::uint16_t>(std::atoi(argv[2])), error)
                                 : run::join(argv[2], static_cast<std::uint16_t>(std::atoi(argv[3])), error);
    if (!started) {
        std::fprintf(stderr, "pair-player: %s\n", error.c_str());
        return 1;
    }
    CHands hands(ending == "result", hosting ? 1 : 2);
    // A gunner wears the other station down faster when that one neither fires nor throws flares.
    const bool idle = ending == "result" && !hosting;
    long steps = 0;         // of play, over all matches
    long asked_at = -1;     // the host asked for a new match
    long answered_at = -1;  // its new match began, or it heard the refusal
    long ended_at = -1;     // the board's match ended
    bool leave = false;
    bool nudged = false;
    double backlog = 0, last = seconds_now();
    while (network_match::active() && !leave) {
        const double now = seconds_now();
        if (now > TIME_LIMIT) {
            std::fprintf(stderr, "pair-player: out of time after %ld steps\n", steps);
            return 1;
        }
        run::poll();
        backlog = std::min(backlog + (now - last), 0.25);
        last = now;
        while (!leave && backlog >= STEP && run::step_ready()) {
            backlog -= STEP;
            if (!network_match::playing()) {
                run::step();
                continue;
            }
            if (!idle)
                hands.act();
            run::step();
            ++steps;
            if (ended_at < 0 && global::game_state == global::ENDED)
                ended_at = steps;
            // On a step that is final: a board taken back before it would lose the change.
            if (!hosting && ending == "outofsync" && !nudged && network_match::next_step() >= 150 &&
                network_match::settled()) {
                nudged = true;
                global::station1->shields -= 1;
            }
            if (!hosting && (ending == "newgame" || ending == "decline") &&
                network_match::asked_for_new_match()) {
                if (ending == "newgame")
                    network_match::ready_for_next_match_soon();
                else
                    network_match::decline_new_match_soon();
            }
            if (!hosting)
                continue;
            // From the pause menu, as a player asks.
            if ((ending == "newgame" || ending == "decline") && asked_at < 0 && steps == 300) {
                asked_at = steps;
                submit_match_command(MATCH_PAUSE);
                network_match::ready_for_next_match_soon();
            }
            // The match given up is written when the next begins.
            const bool answered = !match_recorder::last_file().empty() ||
                                  network_match::note().find("declined") != std::string::npos;
            if (asked_at >= 0 && answered_at < 0 && answered)
                answered_at = steps;
            leave = (ending == "leave" && steps == 300) || (answered_at >= 0 && steps == answered_at + 100) ||
                    (ending == "result" && ended_at >= 0 && steps == ended_at + 100);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (leave)
        run::leave_network();
    run::finish();
    const std::string note = network_match::note();
    std::printf("ended %s\n", note.empty() ? "-" : note.c_str());
    return 0;
}
