// The figures a finished match shows: each side's shots, hits, flares and missiles caught, and its
// length, counted as the bot arena counts them (a step at a time, the step's events cleared after it),
// whichever way the game came to the end of the same recorded match: played through its keys as a
// live match is, watched with jumps back and on, or gone back to an earlier board and run again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_lists.h"
#include "game/render/match_result.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/run/run.h"
#include "game/sim/board.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_start.h"
#include "game/sim/match_tally.h"
#include "game/sim/opponent_kind.h"
#include "game/sim/station_input.h"

using namespace global;

namespace {

// Both stations' figures, and the length, as the result screen writes them.
std::vector<std::string> shown(const CMatchTally& tally) {
    std::vector<std::string> cells;
    for (const auto& row : result_figures(tally).rows)
        cells.insert(cells.end(), row.begin(), row.end());
    cells.push_back(match_length(tally));
    return cells;
}

void expect_same(const CMatchTally& game, const CMatchTally& arena, const std::string& how) {
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(game.sides[s].shots, arena.sides[s].shots) << how << ", side " << s;
        EXPECT_EQ(game.sides[s].hits, arena.sides[s].hits) << how << ", side " << s;
        EXPECT_EQ(game.sides[s].self_hits, arena.sides[s].self_hits) << how << ", side " << s;
        EXPECT_EQ(game.sides[s].flares, arena.sides[s].flares) << how << ", side " << s;
        EXPECT_EQ(game.sides[s].intercepts, arena.sides[s].intercepts) << how << ", side " << s;
    }
    EXPECT_EQ(game.steps, arena.steps) << how;
    EXPECT_EQ(shown(game), shown(arena)) << how;
}

class MatchFigures : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        build_board_without_window();
        ASSERT_TRUE(load_recording(std::string(ZELVORANT_SOURCE_DIR "/tests/replays/") + GetParam() + ".zvr",
                                   recording));
        commands = commands_of(recording.commands);
        arena = arena_count();
    }
    void TearDown() override {
        restart();
        game_state = HIDDEN;
        menu_state = MAIN;
        opponent = CLASSIC_OPPONENT;
        events.clear();
    }

    // The recorded steps from `from` to `to` on the board, each after the commands that precede it, in
    // the arena's loop: `tally` fed after every step the match ran, the step's events cleared after it.
    void run_recorded(std::uint64_t from, std::uint64_t to, CMatchTally& tally) {
        std::size_t next = 0;
        while (next < commands.size() && commands[next].step < from)
            ++next;
        events.clear();
        for (std::uint64_t step = from; step < to; ++step) {
            for (; next < commands.size() && commands[next].step == step; ++next)
                apply_command(commands[next].command);
            const bool runs = game_state == ON;
            program_logic();
            if (runs)
                tally.after_step();
            events.clear();
        }
    }

    CMatchTally arena_count() {
        restore_match_start(recording.start);
        CMatchTally tally;
        run_recorded(0, recording.steps, tally);
        const bool ended = game_state == ENDED;
        restart();
        EXPECT_TRUE(ended) << "the recording is of a match played to its end";
        // Both sides fired and hit: the figures compared are not all nought.
        for (const side_tally& side : tally.sides) {
            EXPECT_GT(side.shots, 0);
            EXPECT_GT(side.hits, 0);
        }
        return tally;
    }

    match_recording recording;
    std::vector<recorded_command> commands;
    CMatchTally arena;
};

}  // namespace

// As a match is played: each command through the run as a key would send it, a few steps to a turn,
// whose events the sounds then clear.
TEST_P(MatchFigures, PlayedThroughTheRunAsTheArenaCountsThem) {
    restore_match_start(recording.start);
    // The computer's keys are in the recording; the gunner must not press them again.
    opponent = recording.start.opponent == GUNNER_OPPONENT ? CLASSIC_OPPONENT : recording.start.opponent;
    const bool classic_red = recording.start.opponent == CLASSIC_OPPONENT;
    if (!classic_red)
        players = MULTI;
    std::size_t next = 0;
    for (std::uint64_t step = 0; step < recording.steps; ++step) {
        for (; next < commands.size() && commands[next].step == step; ++next)
            run::submit(commands[next].command);
        run::step();
        if (step % 3 == 2)
            events.clear();
    }
    ASSERT_EQ(game_state, ENDED);
    expect_same(tally, arena, "played");
}

// As the viewer shows a recording: to the end, back to a kept board and between two, then on again.
TEST_P(MatchFigures, WatchedWithJumpsAsTheArenaCountsThem) {
    CPlayback playback(recording);
    playback.seek(recording.steps);
    expect_same(tally, arena, "watched to the end");
    for (std::uint64_t back : {recording.steps / 2, std::uint64_t{1000}, std::uint64_t{0}}) {
        playback.seek(back);
        while (playback.next()) {
        }
        expect_same(tally, arena, "watched again from step " + std::to_string(back));
    }
}

// As a network match goes back when the other side's late commands arrive: the board kept before a
// step brings back the tally it had then, its particles are built again, and the steps run again
// count once.
TEST_P(MatchFigures, GoingBackToAKeptBoardCountsEachStepOnce) {
    const std::uint64_t kept_at = recording.steps / 3;
    restore_match_start(recording.start);
    run_recorded(0, kept_at, tally);
    const CBoardSnapshot kept = CBoardSnapshot::take();
    const std::vector<std::string> figures_then = shown(tally);
    run_recorded(kept_at, recording.steps, tally);
    ASSERT_NE(shown(tally), figures_then);
    kept.restore();
    EXPECT_EQ(shown(tally), figures_then);
    run_recorded(kept_at, recording.steps, tally);
    expect_same(tally, arena, "gone back to step " + std::to_string(kept_at));
}

INSTANTIATE_TEST_SUITE_P(CommittedRecordings, MatchFigures,
                         testing::Values("single_easy", "single_medium", "gunner_medium"));
