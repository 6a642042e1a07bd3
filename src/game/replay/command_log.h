#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/sim/station_input.h"
#include "general/byte_codec.h"

struct recorded_command {
    std::uint64_t step;  // the number of the step the command precedes, counted from 0
    board_command command;
};

// The commands of a match in the order they were made, held as a recording file holds them: for each,
// the steps since the one before (a varint) and its byte, two bytes for most. The longest match is
// recorded and run again without its commands spread out in memory.
class CCommandLog {
  public:
    // Steps do not go back; one before the last is held as a jump round the 64-bit range, which no
    // reader accepts.
    void add(std::uint64_t step, const board_command& command);
    std::size_t size() const { return count_; }
    // Forgets the commands for `step` and after (a board gone back to that step).
    void cut(std::uint64_t step);
    // The commands in the file's form.
    const char* data() const { return bytes_.data() + begin_; }
    std::size_t byte_size() const { return bytes_.size() - begin_; }
    // Takes over `count` commands already checked, held in [from, to) of `buffer`, whose bytes are kept
    // where they are, not copied; `last_step` is the step of the last of them.
    void adopt(std::string&& buffer, std::size_t from, std::size_t to, std::size_t count,
               std::uint64_t last_step);

    // The commands from the first on, also those added to the log after the reader was made.
    class reader {
      public:
        explicit reader(const CCommandLog& log) : log_(&log) {}
        // The next command; false after the last one there is.
        bool next(recorded_command& out);

      private:
        const CCommandLog* log_;
        std::size_t pos_ = 0;
        std::uint64_t step_ = 0;
    };

  private:
    std::string bytes_;
    std::size_t begin_ = 0;
    std::size_t count_ = 0;
    std::uint64_t last_ = 0;
};
