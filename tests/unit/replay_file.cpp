#include "game/replay/replay_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "command_lists.h"
#include "gl_window.h"
#include "scratch_folder.h"

namespace {

match_recording sample() {
    match_recording r;
    r.program_version = "1.1";
    r.start.players = 1;
    r.start.difficulty = 4;
    r.start.seed = 0xdeadbeef;
    r.start.noise_counter = 74;
    r.start.station_x[0] = -12.5f;
    r.start.station_y[1] = 0.1f;
    r.steps = 2500;
    r.commands = log_of({{0, {TARGET_BLUE, CMD_CHARGE}},
                         {0, {TARGET_BLUE, CMD_RELEASE}},
                         {300, {TARGET_MATCH, MATCH_PAUSE}},
                         {1999, {TARGET_RED, CMD_DROP_CHARGE}},
                         {2500, {TARGET_MATCH, MATCH_RESUME}}});
    r.checkpoints = {1, 2, 0xffffffffffffffffull};
    r.final_hash = 0x0123456789abcdefull;
    return r;
}

// Changes the recording's commands as a list.
template <class Change>
void edit(match_recording& r, Change change) {
    std::vector<recorded_command> list = commands_of(r.commands);
    change(list);
    r.commands = log_of(list);
}

void expect_same(const match_recording& a, const match_recording& b) {
    EXPECT_EQ(a.program_version, b.program_version);
    EXPECT_EQ(a.start.players, b.start.players);
    EXPECT_EQ(a.start.difficulty, b.start.difficulty);
    EXPECT_EQ(a.start.seed, b.start.seed);
    EXPECT_EQ(a.start.noise_counter, b.start.noise_counter);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(a.start.station_x[i], b.start.station_x[i]);
        EXPECT_EQ(a.start.station_y[i], b.start.station_y[i]);
    }
    const std::vector<recorded_command> ac = commands_of(a.commands), bc = commands_of(b.commands);
    ASSERT_EQ(a.commands.size(), b.commands.size());
    ASSERT_EQ(ac.size(), bc.size());
    for (std::size_t i = 0; i < ac.size(); ++i) {
        EXPECT_EQ(ac[i].step, bc[i].step);
        EXPECT_TRUE(ac[i].command == bc[i].command);
    }
    EXPECT_EQ(a.steps, b.steps);
    EXPECT_EQ(a.checkpoints, b.checkpoints);
    EXPECT_EQ(a.final_hash, b.final_hash);
}

TEST(ReplayFile, RoundTripKeepsEverything) {
    const std::string bytes = encode_recording(sample());
    match_recording back;
    ASSERT_EQ(decode_recording(bytes, back), RECORDING_OK);
    expect_same(back, sample());

    // Through a real file too.
    const std::string path = scratch_dir("replay_file") + "/one.zvr";
    std::ofstream(path, std::ios::binary) << bytes;
    match_recording from_file;
    ASSERT_EQ(read_recording(path, from_file), RECORDING_OK);
    expect_same(from_file, sample());
}

TEST(ReplayFile, EveryDamageIsNamedAndLeavesTheResultAlone) {
    const std::string good = encode_recording(sample());
    match_recording untouched;
    untouched.final_hash = 42;

    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        const recording_status s = decode_recording(good.substr(0, cut), untouched);
        EXPECT_EQ(s, RECORDING_TRUNCATED) << "cut at " << cut;
    }
    // One byte changed anywhere is never taken for a good recording; in the body it is the checksum.
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x20);
        const recording_status s = decode_recording(bad, untouched);
        EXPECT_NE(s, RECORDING_OK) << "byte " << at;
        if (at >= 10) {
            EXPECT_EQ(s, RECORDING_BAD_CHECKSUM) << "byte " << at;
        }
    }
    EXPECT_EQ(untouched.final_hash, 42u);

    std::string newer = good;
    newer[4] = 2;
    EXPECT_EQ(decode_recording(newer, untouched), RECORDING_UNKNOWN_VERSION);
    EXPECT_EQ(decode_recording("GIF89a", untouched), RECORDING_NOT_A_RECORDING);
    EXPECT_EQ(decode_recording(good + "x", untouched), RECORDING_CORRUPT);
    EXPECT_EQ(read_recording(scratch_dir("replay_file") + "/missing.zvr", untouched), RECORDING_UNREADABLE);
    EXPECT_EQ(read_recording(scratch_dir("replay_file"), untouched), RECORDING_UNREADABLE);
    EXPECT_EQ(untouched.final_hash, 42u);
}

TEST(ReplayFile, ContentsThatCannotBePlayedAreCorruptEvenWithAGoodChecksum) {
    const auto corrupt = [](void (*spoil)(match_recording&)) {
        match_recording r = sample();
        spoil(r);
        match_recording out;
        return decode_recording(encode_recording(r), out);
    };
    EXPECT_EQ(corrupt([](match_recording& r) { r.start.players = 2; }), RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) { r.start.difficulty = 9; }), RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) { edit(r, [](auto& c) { c[2].command.code = 7; }); }),
              RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) {
                  edit(r, [](auto& c) { c[0].command.target = command_target(3); });
              }),
              RECORDING_CORRUPT);
    // A command after the last step, or steps out of order.
    EXPECT_EQ(corrupt([](match_recording& r) { edit(r, [](auto& c) { c.back().step = 2501; }); }),
              RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) { edit(r, [](auto& c) { c[1].step = 400; }); }),
              RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) { r.checkpoints.pop_back(); }), RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) { r.start.station_x[0] = 1.0f / 0.0f; }), RECORDING_CORRUPT);
    EXPECT_EQ(corrupt([](match_recording& r) { r.program_version.assign(65, 'v'); }), RECORDING_CORRUPT);
    // No file can ask for more than a day of steps.
    EXPECT_EQ(corrupt([](match_recording& r) {
                  r.steps = MAX_RECORDED_STEPS + 1;
                  r.checkpoints.assign(checkpoint_count(r.steps), 0);
              }),
              RECORDING_CORRUPT);
}

TEST(ReplayFile, TenMinutesOfBusyPlayStayWellUnder100KB) {
    // Both players pressing and releasing a key every 5 steps (20 key events a second each) for 60,000 steps.
    match_recording r = sample();
    r.steps = 60000;
    r.commands = CCommandLog();
    for (std::uint64_t step = 0; step < r.steps; step += 5) {
        r.commands.add(step, {TARGET_BLUE, CMD_CHARGE});
        r.commands.add(step, {TARGET_RED, CMD_TURN_CW_ON});
    }
    r.checkpoints.assign(checkpoint_count(r.steps), 7);
    const std::size_t size = encode_recording(r).size();
    EXPECT_LT(size, 60u * 1024) << size;
}

}  // namespace

// The recorder never writes more than MAX_COMMANDS_AT_A_STEP at one step; a file that holds more was not
// made by play, and is refused before anything is spread out in memory.
TEST(ReplayFile, MoreCommandsAtOneStepThanPlayMakesAreRefused) {
    for (const std::size_t count : {MAX_COMMANDS_AT_A_STEP, MAX_COMMANDS_AT_A_STEP + 1}) {
        // Exactly `count` at one step, one the match had a command at or a step of their own.
        for (const std::uint64_t at : {std::uint64_t{300}, std::uint64_t{1500}}) {
            match_recording r = sample();
            std::vector<recorded_command> list = commands_of(r.commands);
            if (at == 300)
                list.erase(list.begin() + 2);
            list.insert(list.end(), count, {at, {TARGET_RED, CMD_FLARE}});
            // Spread over the steps before, any number is fine.
            for (std::uint64_t s = 1000; s < 1000 + 2 * MAX_COMMANDS_AT_A_STEP; ++s)
                list.push_back({s, {TARGET_BLUE, CMD_FLARE}});
            std::stable_sort(
                list.begin(), list.end(),
                [](const recorded_command& a, const recorded_command& b) { return a.step < b.step; });
            r.commands = log_of(list);
            match_recording out;
            EXPECT_EQ(decode_recording(encode_recording(r), out),
                      count > MAX_COMMANDS_AT_A_STEP ? RECORDING_CORRUPT : RECORDING_OK)
                << count << " at step " << at;
        }
    }
}
