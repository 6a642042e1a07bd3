#pragma once

#include <cstdint>

#include "game/replay/replay_file.h"

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
    // The step of the first checkpoint at which the board differed from the recording, or -1.
    long long first_divergence() const { return diverged; }

  private:
    void apply_due_commands();
    void check_point();

    const match_recording& recording;
    CCommandLog::reader commands;
    recorded_command next_command{};
    bool command_waiting = false;  // next_command is one not yet applied
    bool done = false;
    long long diverged = -1;
};

// Runs the whole recording; the board is left as the match ended.
struct playback_result {
    std::uint64_t final_hash;
    bool matches;
    long long first_divergence;
};
playback_result play_to_end(const match_recording& recording);
