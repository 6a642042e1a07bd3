#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/replay/command_log.h"
#include "game/sim/match_start.h"

// One match as recorded: how it began, what the players did before which logic step, how it ended.
struct match_recording {
    std::string program_version;
    match_start start;
    CCommandLog commands;  // in step order
    std::uint64_t steps = 0;
    // The state hash before the first step and after every CHECKPOINT_INTERVAL steps.
    std::vector<std::uint64_t> checkpoints;
    std::uint64_t final_hash = 0;
};

constexpr std::uint64_t CHECKPOINT_INTERVAL = 1000;
// A day of logic steps: longer recordings are refused, so no file can keep a reader busy for ever.
constexpr std::uint64_t MAX_RECORDED_STEPS = 24ull * 3600 * 100;
// The most commands a recording holds at one step: as many as a network session takes from each side
// at a step, for both sides. No player comes near it; a file beyond it was not made by play.
constexpr std::size_t MAX_COMMANDS_AT_A_STEP = 2 * 64;

// The checkpoints a recording of `steps` steps holds.
std::uint64_t checkpoint_count(std::uint64_t steps);

enum recording_status {
    RECORDING_OK,
    RECORDING_UNREADABLE,
    RECORDING_NOT_A_RECORDING,
    RECORDING_TRUNCATED,
    RECORDING_BAD_CHECKSUM,
    RECORDING_UNKNOWN_VERSION,
    RECORDING_CORRUPT,
    RECORDING_TOO_LARGE,
};
// A few words for a message: "truncated", "bad checksum", ...
const char* describe(recording_status status);

// The file's bytes: magic, format version, body length, body, and an FNV-1a checksum of all before it.
std::string encode_recording(const match_recording& recording);
// Checks everything before filling `out`; on any problem `out` is left as it was. The commands keep their
// place in `bytes`, which is taken over rather than copied.
recording_status decode_recording(std::string bytes, match_recording& out);
recording_status read_recording(const std::string& path, match_recording& out);
// read_recording, saying on stderr in one line what is wrong with a file that cannot be used.
bool load_recording(const std::string& path, match_recording& out);
