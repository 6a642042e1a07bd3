#pragma once

// Registrations and joins per source address (any port): a token bucket each, in a table of fixed
// size. The table is split in small sets by a salted hash; a set makes room by reusing a bucket that
// has filled up again, which is the same as a new one. A set whose buckets are all in use refuses
// newcomers: a flood from many addresses slows joins down, it never lets anyone guess faster.
#include <cstddef>
#include <cstdint>
#include <vector>

class CRateLimiter {
  public:
    enum verdict { ALLOW, REFUSE_TELL, REFUSE_QUIET };

    CRateLimiter(std::size_t capacity, std::uint32_t per_second, std::uint32_t burst, std::uint64_t salt);

    // One request from `address` at `now_ms`. A refused address is told at most once a second.
    verdict take(std::uint32_t address, std::int64_t now_ms);
    std::size_t bytes() const { return buckets_.size() * sizeof(bucket); }

  private:
    struct bucket {
        std::uint32_t address = 0;
        bool used = false;
        std::int64_t tokens = 0;  // thousandths of a request
        std::int64_t filled_ms = 0;
        std::int64_t told_ms = 0;
    };
    std::int64_t level(const bucket& b, std::int64_t now_ms) const;

    std::vector<bucket> buckets_;
    std::size_t sets_;
    std::int64_t per_ms_;  // thousandths of a request a millisecond
    std::int64_t full_;
    std::uint64_t salt_;
};
