#pragma once

// Requests per source address (any port), in a table of fixed size: every request spends from one
// budget, registrations and joins from a second, smaller one as well. The table is split in small sets
// by a salted hash; a set makes room by reusing an entry whose budgets have filled up again, which is
// the same as a new one. A set whose entries are all in use refuses newcomers: a flood from many
// addresses slows requests down, it never lets anyone guess faster. Only proven addresses reach it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "server/token_bucket.h"

class CRateLimiter {
  public:
    enum verdict { ALLOW, REFUSE_TELL, REFUSE_QUIET };
    CRateLimiter(std::size_t capacity, token_rate requests, token_rate joins, std::uint64_t salt);

    // One request from `address` at `now_ms`; `join`: a registration or a join. A refused address is
    // told at most once a second.
    verdict take(std::uint32_t address, bool join, std::int64_t now_ms);
    std::size_t bytes() const { return entries_.size() * sizeof(entry); }

  private:
    struct entry {
        std::uint32_t address = 0;
        bool used = false;
        CTokenBucket requests;
        CTokenBucket joins;
        std::int64_t told_ms = 0;
    };
    bool idle(const entry& e, std::int64_t now_ms) const;

    std::vector<entry> entries_;
    std::size_t sets_;
    token_rate requests_;
    token_rate joins_;
    std::uint64_t salt_;
};
