#include "game/app/watch_viewer.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "game/app/replay_viewer.h"
#include "game/config/version.h"
#include "game/netplay/network_match.h"
#include "game/netplay/watch_session.h"
#include "game/render/render_hud.h"
#include "game/sim/global.h"
#include "game/sim/rules_hash.h"
#include "game/sim/state_hash.h"

namespace {

// How far behind the host's last confirmed step a watcher shows the match, in steps: late commands
// and a slow datagram never make it stop.
constexpr std::uint32_t BEHIND = 100;

double now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The host's matches as they come, each a recording that grows while it is played.
class CLiveSource : public CViewerSource {
  public:
    CLiveSource() : session_(net_identity{PROGRAM_VERSION, rules_hash()}) { show(0); }

    bool start(const std::string& host, std::uint16_t port, std::string& error) {
        return session_.watch(host, port, error);
    }
    void leave() { session_.leave(); }

    CPlayback& playback() override { return *playback_; }

    void poll() override {
        session_.poll(now());
        const auto& matches = session_.matches();
        if (matches.empty())
            return;
        // The match shown plays to its end before the next one begins.
        if (matches.front().number != number_) {
            show(matches.front().number);
        } else if (matches.size() > 1 && playback_->over() && taken_ == matches.front().commands.size()) {
            session_.forget_oldest();
            show(session_.matches().front().number);
        }
        const CWatchSession::watched_match& m = session_.matches().front();
        for (; taken_ < m.commands.size(); ++taken_)
            recording_.commands.add(m.commands[taken_].step, byte_command(m.commands[taken_].command));
        recording_.steps = m.known;
        // Joined late: once the match so far is here, it is played through at once.
        if (!caught_up_ && session_.matches().size() == 1 && m.known >= session_.host_steps()) {
            caught_up_ = true;
            playback_->seek(edge());
            shown();
        }
    }

    std::uint64_t edge() override {
        const auto& matches = session_.matches();
        if (matches.empty() || matches.front().number != number_)
            return 0;
        const CWatchSession::watched_match& m = matches.front();
        if (m.ended)
            return m.known;
        return m.known > BEHIND ? m.known - BEHIND : 0;
    }

    // The board is compared with the host's wherever the host sent its hash; a match shown to its
    // end is named with its final hash, which the players' recordings of it end with too.
    void shown() override {
        const auto& matches = session_.matches();
        if (matches.empty() || matches.front().number != number_)
            return;
        const std::uint32_t at = static_cast<std::uint32_t>(playback_->position());
        if (matches.front().ended && at == matches.front().known && !told_end_) {
            told_end_ = true;
            std::fprintf(stderr,
                         "Watching: match %d shown to its end, %u steps, final state %016" PRIx64 "\n",
                         number_ + 1, at, state_hash());
        }
        const auto& hashes = matches.front().hashes;
        const auto h =
            std::lower_bound(hashes.begin(), hashes.end(), at,
                             [](const netmsg::step_hash& x, std::uint32_t s) { return x.step < s; });
        if (h == hashes.end() || h->step != at || at <= compared_at_)
            return;
        compared_at_ = at;
        if (h->hash == state_hash())
            ++same_;
        else if (differs_at_ < 0) {
            differs_at_ = at;
            std::fprintf(stderr, "Watching: the board differs from the players' after %u steps of match %d\n",
                         at, number_ + 1);
        }
    }

    std::string lines(const char* speed, bool paused) override {
        const std::string leave_hint = "  Escape: leave";
        if (session_.state() == CWatchSession::CONNECTING)
            return "WATCHING  connecting to " + session_.host_name() + " ..." + leave_hint;
        const std::string note =
            differs_at_ >= 0 ? "OUT OF SYNC: this board differs from the players'\n" : std::string();
        const bool over = session_.state() == CWatchSession::OVER;
        if (session_.matches().empty())
            return over ? session_.note() + leave_hint
                        : "WATCHING  waiting for the players to begin" + leave_hint;
        const std::uint64_t at = playback_->position();
        // The match's own time, which stands while the players have it paused, as their boards do.
        std::string line =
            std::string("WATCHING ") + speed + "  " + match_time(at - playback_->paused_steps(), global::LPS);
        const bool newest = session_.matches().size() == 1;
        if (over && newest && at >= edge())
            return note + session_.note() + "\n" + line + "  ENDED" + leave_hint;
        const std::uint64_t head = newest ? session_.host_steps() : recording_.steps;
        char behind[32];
        std::snprintf(behind, sizeof behind, "  %.1f s behind",
                      static_cast<double>(head > at ? head - at : 0) / static_cast<double>(global::LPS));
        line += behind;
        if (paused)
            line += "  PAUSED";
        else if (global::game_state == global::PAUSED)
            line += "  PAUSED BY THE PLAYERS";
        return note + line + leave_hint;
    }

    // Said when watching ends.
    void summary() const {
        if (same_ > 0 && differs_at_ < 0)
            std::fprintf(stderr, "Watching: %d boards compared with the players', all the same\n", same_);
    }

  private:
    void show(int number) {
        number_ = number;
        taken_ = 0;
        compared_at_ = 0;
        told_end_ = false;
        recording_ = match_recording();
        recording_.start = network_match::starting_board(number);
        playback_ = std::make_unique<CPlayback>(recording_);
    }

    CWatchSession session_;
    match_recording recording_;  // the match shown, as far as it has come
    std::unique_ptr<CPlayback> playback_;
    int number_ = -1;
    std::size_t taken_ = 0;  // the match's commands already in the recording
    bool caught_up_ = false;
    std::uint32_t compared_at_ = 0;
    int same_ = 0;  // boards found as the host's
    long long differs_at_ = -1;
    bool told_end_ = false;
};

std::unique_ptr<CLiveSource> watched;

}  // namespace

bool begin_watch(const std::string& host, std::uint16_t port, std::string& error) {
    auto source = std::make_unique<CLiveSource>();
    if (!source->start(host, port, error))
        return false;
    watched = std::move(source);
    set_result_prompt("Watching: the next match begins when both players want it");
    begin_view(*watched);
    return true;
}

bool watch_turn() {
    return view_turn();
}

void end_watch() {
    end_view();
    watched->leave();
    watched->summary();
    watched.reset();
    set_result_prompt("Press enter to restart");
}
