#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/replay/replay_file.h"
#include "game/sim/board_snapshot.h"

// Runs a recorded match again on the board: each step's commands, then the step, comparing the state hash
// with the recording's checkpoints on the way.
class CPlayback {
  public:
    // Sets the board up as the match began. The recording must outlive the playback.
    explicit CPlayback(const match_recording& recording);

    // Runs the next step after the commands that precede it; once every step has run, applies the commands
    // recorded after the last one. Returns false when nothing was left to run.
    bool next();
    bool over() const { return done; }
    // Steps run so far, and in the whole recording.
    std::uint64_t position() const;
    std::uint64_t length() const { return recording.steps; }
    // Puts the board as it stood after `step` steps (at most the length): ahead by running on, back from
    // the last keyframe at or before it. The events of the steps run are dropped: a jump is not heard.
    void seek(std::uint64_t step);
    // Steps between two keyframes: a jump back runs fewer than this many steps again.
    static constexpr std::uint64_t KEYFRAME_INTERVAL = 1000;
    // About what the keyframes kept so far take in memory.
    std::size_t keyframe_bytes() const;
    // The step of the first checkpoint at which the board differed from the recording, or -1.
    long long first_divergence() const { return diverged; }

  private:
    // The board and the place in the commands at a multiple of KEYFRAME_INTERVAL, taken the first time
    // the playback passes it.
    struct keyframe {
        CBoardSnapshot board;
        CCommandLog::reader commands;
        recorded_command next_command;
        bool command_waiting;
    };

    void start();
    void apply_due_commands();
    void check_point();
    void keep_keyframe();
    void go_back_to(const keyframe& k);

    const match_recording& recording;
    CCommandLog::reader commands;
    recorded_command next_command{};
    bool command_waiting = false;  // next_command is one not yet applied
    bool done = false;
    long long diverged = -1;
    std::vector<keyframe> keyframes;  // keyframes[i] holds step i * KEYFRAME_INTERVAL
};

// Runs the whole recording; the board is left as the match ended.
struct playback_result {
    std::uint64_t final_hash;
    bool matches;
    long long first_divergence;
};
playback_result play_to_end(const match_recording& recording);
