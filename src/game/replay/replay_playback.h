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
    // The boards kept for jumps back take at most about this much memory, whatever the match's length.
    static constexpr std::size_t KEYFRAME_BUDGET = 64u << 20;

    // Sets the board up as the match began. The recording must outlive the playback; it may grow
    // (a match still being played), by steps and by commands for the steps beyond its last. The
    // keyframes take at most `keyframe_budget` bytes (0: none are kept, as nothing jumps back).
    explicit CPlayback(const match_recording& recording, std::size_t keyframe_budget = KEYFRAME_BUDGET);

    // Runs the next step after the commands that precede it; once every step has run, applies the commands
    // recorded after the last one. Returns false when nothing was left to run.
    bool next();
    bool over() const { return position() >= length(); }
    // Steps run so far, and in the whole recording.
    std::uint64_t position() const;
    // Of the steps run so far, those the match was paused for: the match's own clock stood still.
    std::uint64_t paused_steps() const { return paused; }
    std::uint64_t length() const { return recording.steps; }
    // Puts the board as it stood after `step` steps (at most the length): ahead by running on, back from
    // the last keyframe at or before it. The events of the steps run are dropped: a jump is not heard.
    void seek(std::uint64_t step);
    // Steps between two keyframes at first: a jump back runs fewer than keyframe_interval() steps again.
    // When the keyframes would take more than their budget, every other one goes and the interval
    // doubles, so a long match keeps fewer, further apart.
    static constexpr std::uint64_t KEYFRAME_INTERVAL = 1000;
    std::uint64_t keyframe_interval() const { return interval; }
    // About what the keyframes kept so far take in memory.
    std::size_t keyframe_bytes() const { return bytes; }
    // The step of the first checkpoint at which the board differed from the recording, or -1.
    long long first_divergence() const { return diverged; }

  private:
    // The board and the place in the commands at a multiple of KEYFRAME_INTERVAL, taken the first time
    // the playback passes it.
    struct keyframe {
        std::uint64_t step;
        std::uint64_t paused;
        CBoardSnapshot board;
        CCommandLog::reader commands;
        recorded_command next_command;
        bool command_waiting;
    };

    void start();
    void apply_due_commands();
    void check_point();
    void keep_keyframe();
    void thin_out();
    void go_back_to(const keyframe& k);
    static std::size_t size_of(const keyframe& k);

    const match_recording& recording;
    CCommandLog::reader commands;
    recorded_command next_command{};
    bool command_waiting = false;  // next_command is one not yet applied
    long long diverged = -1;
    std::uint64_t paused = 0;
    std::size_t budget;
    std::uint64_t interval = KEYFRAME_INTERVAL;
    std::size_t bytes = 0;
    std::vector<keyframe> keyframes;  // steps ascending, each a multiple of `interval`
};

// Runs the whole recording; the board is left as the match ended.
struct playback_result {
    std::uint64_t final_hash;
    bool matches;
    long long first_divergence;
};
playback_result play_to_end(const match_recording& recording);
