#pragma once

// A budget that refills at a steady rate up to a ceiling, kept in thousandths of a unit so that slow
// rates refill smoothly: the rate limits per address, a relayed pair's bytes and datagrams, a host's
// introductions.
#include <cstdint>

class CTokenBucket {
  public:
    CTokenBucket() = default;
    // `full` units refilled at `per_second` units a second.
    CTokenBucket(std::int64_t per_second, std::int64_t full) : per_ms_(per_second), full_(full * 1000) {}

    // Full at `now_ms`.
    void fill(std::int64_t now_ms);
    // Takes `units` when they are there at `now_ms`; false (taking nothing) when not.
    bool take(std::int64_t now_ms, std::int64_t units = 1);
    bool full(std::int64_t now_ms) const { return level(now_ms) == full_; }

  private:
    std::int64_t level(std::int64_t now_ms) const;

    std::int64_t per_ms_ = 0;  // thousandths of a unit a millisecond
    std::int64_t full_ = 0;
    std::int64_t thousandths_ = 0;
    std::int64_t at_ms_ = 0;
};
