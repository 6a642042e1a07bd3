// Committed recordings under tests/replays/ must still play to their recorded final state: a change to
// the game's rules shows up here. A deliberate rule change writes them again, in the same commit:
//   ZELVORANT_WRITE_FIXTURES=1 build/tests/unit_replay_fixtures
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"
#include "gl_window.h"
#include "replay_session.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const fs::path FIXTURES = fs::path(ZELVORANT_SOURCE_DIR) / "tests" / "replays";

struct fixture {
    const char* name;
    int players;
    int difficulty;
    int steps;
    unsigned inputs_seed;
};
const fixture fixtures[] = {
    {"single_easy", global::SINGLE, global::EASY, 6000, 11},
    {"single_medium", global::SINGLE, global::MEDIUM, 6000, 12},
    {"single_hard", global::SINGLE, global::HARD, 6000, 13},
    {"two_players_busy", global::MULTI, global::MEDIUM, 12000, 14},
};

// One match of random play through the real recorder, copied to the fixture's name.
void write_fixture(const fixture& f) {
    const std::string folder = scratch_dir(std::string("fixture_") + f.name);
    match_recorder::start(folder);
    CSession session(f.inputs_seed);
    session.begin_match(f.players, f.difficulty);
    for (int i = 0; i < f.steps && global::game_state != global::ENDED; ++i) {
        session.random_inputs();
        session.step();
    }
    session.leave();
    match_recorder::stop();
    ASSERT_EQ(session.closed.size(), 1u);
    fs::create_directories(FIXTURES);
    fs::copy_file(session.closed[0].file, FIXTURES / (std::string(f.name) + ".zvr"),
                  fs::copy_options::overwrite_existing);
}

TEST(ReplayFixtures, CommittedRecordingsPlayToTheirRecordedEnd) {
    build_board_without_window();
    const char* write = std::getenv("ZELVORANT_WRITE_FIXTURES");
    for (const fixture& f : fixtures) {
        if (write != nullptr && std::string(write) == "1")
            write_fixture(f);
        match_recording r;
        const fs::path file = FIXTURES / (std::string(f.name) + ".zvr");
        ASSERT_EQ(read_recording(file.string(), r), RECORDING_OK) << file;
        EXPECT_EQ(r.start.players, f.players) << f.name;
        EXPECT_EQ(r.start.difficulty, f.difficulty) << f.name;
        EXPECT_GT(r.commands.size(), 100u) << f.name;
        const playback_result result = play_to_end(r);
        EXPECT_TRUE(result.matches) << f.name;
        EXPECT_EQ(result.first_divergence, -1) << f.name;
    }
    restart();
    global::game_state = global::HIDDEN;
}

}  // namespace
