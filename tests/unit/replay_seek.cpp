// Jumps in a watched recording: wherever the viewer jumps to, back or on, the board is the one that
// playing straight through gives at that step, and the clock line reads the match's own seconds.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "game/app/replay_viewer.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/state_hash.h"

namespace {

class ReplaySeek : public testing::Test {
  protected:
    void SetUp() override {
        build_board_without_window();
        ASSERT_TRUE(load_recording(ZELVORANT_SOURCE_DIR "/tests/replays/two_players_busy.zvr", recording));
    }
    void TearDown() override {
        restart();
        global::game_state = global::HIDDEN;
        global::menu_state = global::MAIN;
        global::events.clear();
    }
    match_recording recording;
};

}  // namespace

TEST_F(ReplaySeek, EveryJumpGivesTheBoardOfPlayingStraightThere) {
    const std::vector<std::uint64_t> marks = {
        0, 1, 999, 3000, 5432, 7777, recording.steps - 1, recording.steps};
    std::map<std::uint64_t, std::uint64_t> straight;
    {
        CPlayback playback(recording);
        for (std::uint64_t mark : marks) {
            while (playback.position() < mark)
                ASSERT_TRUE(playback.next());
            straight[mark] = state_hash();
        }
    }
    CPlayback playback(recording);
    // Back and on, far and near, onto a kept board and between two, and twice to the same place.
    for (std::uint64_t to :
         {recording.steps, std::uint64_t{3000}, std::uint64_t{7777}, std::uint64_t{5432}, std::uint64_t{1},
          recording.steps - 1, std::uint64_t{999}, std::uint64_t{999}, std::uint64_t{0}}) {
        playback.seek(to);
        EXPECT_EQ(playback.position(), to);
        EXPECT_EQ(state_hash(), straight[to]) << "after a jump to " << to;
        // A jump is not heard.
        EXPECT_TRUE(global::events.empty()) << to;
    }
    // Beyond the end is the end; the recording then plays out and is over, and matched all along.
    playback.seek(recording.steps + 500);
    EXPECT_EQ(playback.position(), recording.steps);
    EXPECT_FALSE(playback.next());
    EXPECT_TRUE(playback.over());
    EXPECT_EQ(state_hash(), recording.final_hash);
    EXPECT_EQ(playback.first_divergence(), -1);
    // From the end, back to the start plays again.
    playback.seek(0);
    EXPECT_FALSE(playback.over());
    EXPECT_TRUE(playback.next());
}

TEST(WatchClock, ShowsWholeMatchSecondsWatchedAndTheLength) {
    EXPECT_EQ(watch_clock(0, 12000, 100), "0:00 / 2:00");
    EXPECT_EQ(watch_clock(6199, 12000, 100), "1:01 / 2:00");
    EXPECT_EQ(watch_clock(60000, 60000, 100), "10:00 / 10:00");
    EXPECT_EQ(watch_clock(359999, 360000, 100), "59:59 / 60:00");
    EXPECT_EQ(watch_clock(8640000, 8640000, 100), "1440:00 / 1440:00");
}
