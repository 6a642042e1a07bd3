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

TEST_F(ReplaySeek, KeyframesStayWithinTheirBudgetAndJumpsStillLandExactly) {
    std::map<std::uint64_t, std::uint64_t> straight;
    std::size_t whole = 0;
    {
        CPlayback playback(recording);
        while (playback.next())
            straight[playback.position()] = state_hash();
        whole = playback.keyframe_bytes();
        EXPECT_EQ(playback.keyframe_interval(), CPlayback::KEYFRAME_INTERVAL);
    }
    // Room for about a third of what the match's keyframes take: every other one goes, twice.
    const std::size_t budget = whole / 3;
    CPlayback playback(recording, budget);
    playback.seek(recording.steps);
    EXPECT_LE(playback.keyframe_bytes(), budget);
    EXPECT_GE(playback.keyframe_interval(), 4 * CPlayback::KEYFRAME_INTERVAL);
    for (std::uint64_t to : {std::uint64_t{11999}, std::uint64_t{4001}, std::uint64_t{8000}, std::uint64_t{1},
                             std::uint64_t{7999}, std::uint64_t{250}}) {
        playback.seek(to);
        EXPECT_EQ(state_hash(), straight[to]) << "after a jump to " << to;
    }
    // With no budget nothing is kept; a jump back plays from the start.
    CPlayback bare(recording, 0);
    bare.seek(6000);
    bare.seek(2500);
    EXPECT_EQ(bare.keyframe_bytes(), 0u);
    EXPECT_EQ(state_hash(), straight[2500]);
}

TEST_F(ReplaySeek, StepsPausedAreCountedWhereverTheViewerJumps) {
    // The players paused at step 1,000 and went on at step 3,000: the match's own clock stood meanwhile.
    match_recording paused;
    paused.start = recording.start;
    paused.steps = 5000;
    paused.commands.add(1000, {TARGET_MATCH, MATCH_PAUSE});
    paused.commands.add(3000, {TARGET_MATCH, MATCH_RESUME});
    CPlayback playback(paused, 3000);  // room for no keyframe but the start: jumps back play it again
    for (const auto& [to, expected] : std::vector<std::pair<std::uint64_t, std::uint64_t>>{
             {5000, 2000}, {2500, 1500}, {999, 0}, {1001, 1}, {4000, 2000}, {0, 0}}) {
        playback.seek(to);
        EXPECT_EQ(playback.paused_steps(), expected) << "at step " << to;
    }
}

TEST(WatchClock, ShowsWholeMatchSecondsWatchedAndTheLength) {
    EXPECT_EQ(watch_clock(0, 12000, 100), "0:00 / 2:00");
    EXPECT_EQ(watch_clock(6199, 12000, 100), "1:01 / 2:00");
    EXPECT_EQ(watch_clock(60000, 60000, 100), "10:00 / 10:00");
    EXPECT_EQ(watch_clock(359999, 360000, 100), "59:59 / 60:00");
    EXPECT_EQ(watch_clock(8640000, 8640000, 100), "1440:00 / 1440:00");
}

// A match still being played reaches the viewer in pieces: commands and steps appended to the
// recording while it plays, the string holding them reallocated on the way.
TEST_F(ReplaySeek, ARecordingThatGrowsWhilePlayedEndsAsTheWholeOneDoes) {
    const playback_result whole = play_to_end(recording);
    ASSERT_TRUE(whole.matches);
    match_recording live;
    live.start = recording.start;
    CCommandLog::reader source(recording.commands);
    recorded_command c{};
    bool pending = source.next(c);
    CPlayback playback(live);
    EXPECT_TRUE(playback.over());
    EXPECT_FALSE(playback.next());
    // Pieces of 37 steps, played as they come, some jumped through.
    for (std::uint64_t until = 37; live.steps < recording.steps; until += 37) {
        live.steps = until < recording.steps ? until : recording.steps;
        for (; pending && c.step < live.steps; pending = source.next(c))
            live.commands.add(c.step, c.command);
        if (until % 5 == 0)
            playback.seek(live.steps);
        while (playback.next()) {
        }
        ASSERT_EQ(playback.position(), live.steps);
    }
    for (; pending; pending = source.next(c))
        live.commands.add(c.step, c.command);
    EXPECT_FALSE(playback.next());
    EXPECT_EQ(state_hash(), whole.final_hash);
}
