// What a watcher joining a ten-minute match late costs before it sees the match live: every step's
// commands so far, put in messages by the host and read by the watcher (at the busy committed
// match's rate of commands, repeated to ten minutes), then the board played forward from the start.
// The board's part is the busy two minutes played through, times five for ten minutes (a match made
// of it repeated would cost next to nothing once its stations' hulls run out).
#include <benchmark/benchmark.h>

#include <cstddef>

#include "busy_recording.h"
#include "game/netplay/watch_feed.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "net/link.h"
#include "net/message.h"

namespace {

constexpr std::uint32_t TEN_MINUTES = 60000;

// The busy match's commands, step by step, again and again to ten minutes.
void feed_ten_minutes(const match_recording& busy, CWatchFeed& feed) {
    std::vector<std::vector<board_command>> steps(busy.steps);
    CCommandLog::reader r(busy.commands);
    recorded_command c{};
    while (r.next(c))
        if (c.step < busy.steps)
            steps[c.step].push_back(c.command);
    feed.match_begins(0);
    for (std::uint32_t s = 0; s < TEN_MINUTES; ++s)
        feed.step_confirmed(steps[s % busy.steps]);
}

void BM_CatchUpMessages(benchmark::State& state) {
    match_recording busy;
    if (!busy_recording(busy)) {
        state.SkipWithError("the busy two-player recording cannot be read");
        return;
    }
    CNetLink unused;
    CWatchFeed feed(unused);
    feed_ten_minutes(busy, feed);
    std::size_t bytes = 0, messages = 0, commands = 0;
    for (auto _ : state) {
        bytes = messages = commands = 0;
        for (std::uint32_t from = 0; from < TEN_MINUTES;) {
            const std::vector<std::uint8_t> sent = netmsg::encode(feed.steps_from(from));
            netmsg::message got;
            std::uint8_t version = 0;
            netmsg::decode(sent.data(), sent.size(), got, version);
            bytes += sent.size();
            ++messages;
            commands += got.inputs.size();
            from = got.until;
        }
        benchmark::DoNotOptimize(commands);
    }
    state.counters["messages"] = static_cast<double>(messages);
    state.counters["kilobytes"] = static_cast<double>(bytes) / 1024;
    state.counters["commands"] = static_cast<double>(commands);
}

void BM_CatchUpBoardTwoBusyMinutes(benchmark::State& state) {
    match_recording busy;
    if (!busy_recording(busy)) {
        state.SkipWithError("the busy two-player recording cannot be read");
        return;
    }
    for (auto _ : state) {
        CPlayback playback(busy);
        playback.seek(busy.steps);
    }
    state.counters["steps"] = static_cast<double>(busy.steps);
}

}  // namespace

BENCHMARK(BM_CatchUpMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatchUpBoardTwoBusyMinutes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
