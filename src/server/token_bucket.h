#pragma once

// A budget that refills at a steady rate up to a ceiling, kept in millionths of a unit so that slow
// rates refill smoothly: the rate limits per address, a relayed pair's bytes and datagrams, a host's
// introductions. Its rate lives with its table, shared by all its buckets: a bucket is two numbers.
#include <cstdint>

struct token_rate {
    std::int64_t thousandths_per_second = 0;  // of a unit
    std::int64_t full = 0;                    // units at most
};

constexpr token_rate per_second(std::int64_t units, std::int64_t full) {
    return token_rate{units * 1000, full};
}

class CTokenBucket {
  public:
    // Full at `now_ms`.
    void fill(std::int64_t now_ms, const token_rate& rate);
    // Takes `units` when they are there at `now_ms`; false (taking nothing) when not.
    bool take(std::int64_t now_ms, const token_rate& rate, std::int64_t units = 1);
    bool full(std::int64_t now_ms, const token_rate& rate) const;

  private:
    std::int64_t level(std::int64_t now_ms, const token_rate& rate) const;

    std::int64_t millionths_ = 0;
    std::int64_t at_ms_ = 0;
};
