#pragma once

// The pairs the server forwards for: both proven peers of a match whose two sides asked for it with the
// same token. Each way has its own budget of bytes and of datagrams (token buckets that hold a second's
// worth); a datagram costs its bytes and the headers it travels under, so that a flood of small or empty
// datagrams runs out as surely as one of large ones.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "server/fixed_index.h"
#include "server/peer.h"
#include "server/token_bucket.h"

struct relay_pair {
    bool used = false;
    std::uint64_t token = 0;
    peer side[2];
    CTokenBucket bytes[2];
    CTokenBucket datagrams[2];
    std::int64_t last_ms = 0;  // the latest datagram of either side
    std::uint64_t forwarded = 0;
    std::uint64_t over_budget = 0;
};

class CRelayTable {
  public:
    // What an IPv4 and UDP header add to each datagram on the wire.
    static constexpr std::size_t DATAGRAM_OVERHEAD = 28;

    CRelayTable(std::size_t capacity, std::uint32_t bytes_per_second, std::uint32_t datagrams_per_second,
                std::uint64_t salt);

    relay_pair* by_token(std::uint64_t token);
    // The pair `from` is a side of, and which side.
    relay_pair* by_peer(const peer& from, int& side);
    // nullptr when full. Neither peer may be a side of another pair.
    relay_pair* add(std::uint64_t token, const peer& a, const peer& b, std::int64_t now_ms);
    // Whether a datagram of `size` bytes from `side` fits its budgets now; counted either way.
    bool pass(relay_pair& p, int side, std::size_t size, std::int64_t now_ms);
    void remove(relay_pair& p);

    std::size_t size() const { return count_; }
    std::size_t bytes() const;
    std::vector<relay_pair>& pairs() { return pairs_; }

  private:
    std::vector<relay_pair> pairs_;
    std::vector<std::uint32_t> free_;
    std::size_t count_ = 0;
    token_rate bytes_;
    token_rate datagrams_;
    CFixedIndex by_token_;
    CFixedIndex by_peer_;  // value: slot * 2 + side
};
