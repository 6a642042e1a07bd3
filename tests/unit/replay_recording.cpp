// Matches recorded through the real recorder and run again from their files: random play over thousands
// of steps, with pauses and restarts, comes out bit for bit the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "command_lists.h"
#include "game/replay/match_recorder.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/run/run.h"
#include "game/sim/board.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/state_hash.h"
#include "gl_window.h"
#include "replay_session.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class Recording : public testing::Test {
  protected:
    void SetUp() override {
        build_board_without_window();
        folder = scratch_dir("recordings");
        match_recorder::start(folder);
    }
    void TearDown() override {
        match_recorder::stop();
        restart();
        global::game_state = global::HIDDEN;
        global::menu_state = global::MAIN;
    }

    // Every recording the session closed runs again to the same final state, checkpoints included.
    void expect_all_verify(const std::vector<closed_match>& closed) {
        match_recorder::stop();
        for (const closed_match& m : closed) {
            match_recording r;
            ASSERT_EQ(read_recording(m.file, r), RECORDING_OK) << m.file;
            EXPECT_EQ(r.final_hash, m.live_hash) << m.file;
            const playback_result result = play_to_end(r);
            EXPECT_TRUE(result.matches) << m.file;
            EXPECT_EQ(result.final_hash, m.live_hash) << m.file;
            EXPECT_EQ(result.first_divergence, -1) << m.file;
        }
    }

    std::string folder;
};

TEST_F(Recording, RandomPlayWithPausesAndRestartsVerifies) {
    CSession session(2024);
    const int difficulties[] = {global::EASY, global::MEDIUM, global::HARD};
    int paused_steps = 0;
    for (int match = 0; match < 6; ++match) {
        session.begin_match(match % 2 == 0 ? global::SINGLE : global::MULTI, difficulties[match % 3]);
        const int length = 1500 + session.pick(2500);
        for (int i = 0; i < length && global::game_state != global::ENDED; ++i) {
            session.random_inputs();
            paused_steps += global::game_state == global::PAUSED;
            session.step();
        }
    }
    session.leave();
    EXPECT_GT(paused_steps, 100) << "the matches were paused at times";
    ASSERT_EQ(session.closed.size(), 6u);
    expect_all_verify(session.closed);
}

TEST_F(Recording, AChangedStepIsFoundAtTheNextCheckpoint) {
    CSession session(7);
    session.begin_match(global::SINGLE, global::HARD);
    session.play(3500);
    session.leave();
    ASSERT_EQ(session.closed.size(), 1u);
    match_recorder::stop();

    match_recording recorded;
    ASSERT_EQ(read_recording(session.closed[0].file, recorded), RECORDING_OK);
    // A station command between steps 1000 and 2000 taken one step later. Some commands change nothing
    // where they stand (a turn switched off that was off), so try them in turn until one matters.
    int tried = 0;
    const std::vector<recorded_command> list = commands_of(recorded.commands);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const recorded_command& c = list[i];
        if (c.step <= 1000 || c.step >= 1999 || c.command.target == TARGET_MATCH)
            continue;
        match_recording r = recorded;
        std::vector<recorded_command> moved = list;
        moved[i].step += 1;
        r.commands = log_of(moved);
        ++tried;
        const playback_result result = play_to_end(r);
        if (result.matches)
            continue;
        EXPECT_EQ(result.first_divergence, 2000);
        return;
    }
    FAIL() << "none of the " << tried << " commands moved changed the match";
}

TEST_F(Recording, EachMatchTakesTheFixedSeedOrElseTheClock) {
    match_clock::fix_seed(4242);
    CSession session(9);
    session.begin_match(global::SINGLE, global::MEDIUM);
    session.step();
    session.leave();
    match_clock::seeds_from_clock();
    ASSERT_EQ(session.closed.size(), 1u);
    match_recording r;
    ASSERT_EQ(read_recording(session.closed[0].file, r), RECORDING_OK);
    EXPECT_EQ(r.start.seed, 4242u);
    // Without a fixed seed, the clock: two matches a moment apart differ.
    session.begin_match(global::SINGLE, global::MEDIUM);
    session.step();
    session.begin_match(global::SINGLE, global::MEDIUM);
    session.step();
    session.leave();
    ASSERT_EQ(session.closed.size(), 3u);
    match_recording a, b;
    ASSERT_EQ(read_recording(session.closed[1].file, a), RECORDING_OK);
    ASSERT_EQ(read_recording(session.closed[2].file, b), RECORDING_OK);
    EXPECT_NE(a.start.seed, b.start.seed);
    expect_all_verify(session.closed);
}

TEST_F(Recording, ACommandOnAFreshBoardIsRecordedBeforeItChangesTheBoard) {
    CSession session(4);
    session.begin_match(global::MULTI, global::MEDIUM);
    // The release fires at once: a recorder that opened the match after it would start from a board
    // that already holds the missile, and the recording would differ from its first checkpoint.
    submit_station_command(BLUE_STATION, CMD_CHARGE);
    submit_station_command(BLUE_STATION, CMD_RELEASE);
    for (int i = 0; i < 50; ++i)
        session.step();
    session.leave();
    ASSERT_EQ(session.closed.size(), 1u);
    match_recording r;
    ASSERT_EQ(read_recording(session.closed[0].file, r), RECORDING_OK);
    ASSERT_EQ(r.commands.size(), 2u);
    EXPECT_EQ(commands_of(r.commands).at(1).step, 0u);
    expect_all_verify(session.closed);
}

TEST_F(Recording, OnlyMatchesThatRanAStepAreWritten) {
    CSession session(1);
    // Started and left before the first step.
    session.begin_match(global::MULTI, global::MEDIUM);
    session.random_inputs();
    session.leave();
    // Paused from the start: the steps still count.
    session.begin_match(global::MULTI, global::MEDIUM);
    submit_match_command(MATCH_PAUSE);
    session.step();
    session.leave();
    ASSERT_EQ(session.closed.size(), 1u);
    match_recording r;
    ASSERT_EQ(read_recording(session.closed[0].file, r), RECORDING_OK);
    EXPECT_EQ(r.steps, 1u);
    ASSERT_EQ(r.commands.size(), 1u);
    EXPECT_TRUE(commands_of(r.commands)[0].command == (board_command{TARGET_MATCH, MATCH_PAUSE}));
    expect_all_verify(session.closed);
}

TEST_F(Recording, TheFolderKeepsTheNewestRecordingsAndNothingElseIsTouched) {
    match_recorder::start(folder, 3);
    std::ofstream(folder + "/notes.txt") << "mine";
    std::ofstream(folder + "/match-00000000-000000-000.zvr") << "oldest";
    CSession session(3);
    std::vector<std::string> written;
    for (int match = 0; match < 5; ++match) {
        session.begin_match(global::MULTI, global::MEDIUM);
        session.step();
        session.leave();
        // Several matches close within one millisecond here: each still gets a file of its own.
        written.push_back(session.closed.back().file);
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.push_back(entry.path().string());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected = {written[2], written[3], written[4], folder + "/notes.txt"};
    EXPECT_EQ(left, expected);
}

// Names and times say nothing to trust: recordings named for 2099, or modified in 2099, must not push
// out the one just written, and one modified in the future ranks below every real one, or it would stay
// for ever. What goes is said on stderr, on one line each, when the program did not write it.
TEST_F(Recording, RecordingsDatedInTheFutureGoFirstAndOddNamesAreSaidOnOneLine) {
    match_recorder::start(folder, 3);
    const auto now = fs::file_time_type::clock::now();
    const char* future[] = {"match-20990101-000000-000.zvr", "match-20990101-000000-001.zvr",
                            "match-20990101-000000-002.zvr", "match-20990101-000000-003.zvr"};
    for (int i = 0; i < 4; ++i) {
        std::ofstream(folder + "/" + future[i]) << "copied";
        fs::last_write_time(folder + "/" + future[i], now - std::chrono::hours(4 - i));
    }
    fs::last_write_time(folder + "/" + future[0], now + std::chrono::hours(24 * 365 * 70));
    const std::string odd = "match-odd\nname.zvr";
    std::ofstream(folder + "/" + odd) << "copied";
    fs::last_write_time(folder + "/" + odd, now - std::chrono::hours(9));
    CSession session(4);
    testing::internal::CaptureStderr();
    session.begin_match(global::MULTI, global::MEDIUM);
    session.step();
    session.leave();
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(session.closed.size(), 1u);
    EXPECT_TRUE(fs::exists(session.closed[0].file));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected = {fs::path(session.closed[0].file).filename().string(),
                                               future[2], future[3]};
    EXPECT_EQ(left, expected);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 3) << errors;
    EXPECT_NE(errors.find(future[0]), std::string::npos) << errors;
    EXPECT_NE(errors.find(future[1]), std::string::npos) << errors;
    EXPECT_NE(errors.find("\"match-odd\\nname.zvr\""), std::string::npos) << errors;
}

// More commands at one step than any player makes: the match is written as it stood before the one too
// many, a file that verifies, and nothing more of that match is recorded.
TEST_F(Recording, AFloodOfCommandsAtOneStepEndsTheRecordingWhereItVerifies) {
    CSession session(11);
    session.begin_match(global::MULTI, global::MEDIUM);
    session.play(300);
    testing::internal::CaptureStderr();
    for (std::size_t i = 0; i < MAX_COMMANDS_AT_A_STEP + 50; ++i)
        submit_station_command(RED_STATION, i % 2 == 0 ? CMD_TURN_CW_ON : CMD_TURN_CW_OFF);
    for (int i = 0; i < 100; ++i)
        session.step();
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string file = match_recorder::last_file();
    session.leave();
    EXPECT_EQ(match_recorder::last_file(), file) << "nothing more of the match is written";
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("up to step 300"), std::string::npos) << errors;

    match_recording r;
    ASSERT_EQ(read_recording(file, r), RECORDING_OK) << file;
    EXPECT_EQ(r.steps, 300u);
    const playback_result result = play_to_end(r);
    EXPECT_TRUE(result.matches);
    EXPECT_EQ(result.first_divergence, -1);
    // It ends with every command up to the limit.
    std::size_t at_the_end = 0;
    for (const recorded_command& c : commands_of(r.commands))
        at_the_end += c.step == 300;
    EXPECT_EQ(at_the_end, MAX_COMMANDS_AT_A_STEP);
}

TEST_F(Recording, AFolderThatCannotBeWrittenIsSaidOnceAndPlayGoesOn) {
    // A folder below a plain file cannot be made, not even by root.
    std::ofstream(folder + "/file") << "x";
    match_recorder::start(folder + "/file/replays");
    CSession session(5);
    testing::internal::CaptureStderr();
    for (int match = 0; match < 2; ++match) {
        session.begin_match(global::MULTI, global::MEDIUM);
        session.step();
        session.leave();
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(session.closed.empty());
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("file/replays"), std::string::npos) << errors;
}

}  // namespace

TEST_F(Recording, StepsTakenBackAreForgottenAndTheRecordingHoldsTheStepsPlayedInstead) {
    // As a network match that rolls back: now and then the board goes back up to 20 steps, and the
    // steps from there are played again with other commands.
    CSession session(77);
    session.begin_match(global::MULTI, global::MEDIUM);
    std::vector<std::pair<std::uint64_t, CBoardSnapshot>> kept;
    int rollbacks = 0;
    for (int i = 0; i < 4000 && global::game_state != global::ENDED; ++i) {
        kept.emplace_back(match_clock::step(), CBoardSnapshot::take());
        if (kept.size() > 20)
            kept.erase(kept.begin());
        session.random_inputs();
        session.step();
        if (i % 97 == 96) {
            const auto& back = kept[static_cast<std::size_t>(session.pick(static_cast<int>(kept.size())))];
            back.second.restore();
            match_recorder::rewind();
            ASSERT_EQ(match_clock::step(), back.first);
            kept.clear();
            ++rollbacks;
        }
    }
    session.leave();
    EXPECT_GT(rollbacks, 20);
    ASSERT_EQ(session.closed.size(), 1u);
    expect_all_verify(session.closed);
}
