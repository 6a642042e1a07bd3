#pragma once

// The pairs the server forwards for: both public endpoints of a match whose two sides asked for it
// with the same token, each way with its own byte budget (a token bucket that holds a second's worth).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/rendezvous_message.h"
#include "server/fixed_index.h"

struct relay_pair {
    bool used = false;
    std::uint64_t token = 0;
    rdv::endpoint side[2];
    std::int64_t budget[2] = {0, 0};  // thousandths of a byte
    std::int64_t filled_ms[2] = {0, 0};
    std::int64_t last_ms = 0;  // the latest datagram of either side
    std::uint64_t forwarded = 0;
    std::uint64_t over_budget = 0;
};

class CRelayTable {
  public:
    CRelayTable(std::size_t capacity, std::uint32_t bytes_per_second, std::uint64_t salt);

    relay_pair* by_token(std::uint64_t token);
    // The pair `from` is a side of, and which side.
    relay_pair* by_endpoint(const rdv::endpoint& from, int& side);
    // nullptr when full. Neither endpoint may be a side of another pair.
    relay_pair* add(std::uint64_t token, const rdv::endpoint& a, const rdv::endpoint& b, std::int64_t now_ms);
    // Whether `size` bytes from `side` fit its budget now; counts them either way.
    bool pass(relay_pair& p, int side, std::size_t size, std::int64_t now_ms);
    void remove(relay_pair& p);

    std::size_t size() const { return count_; }
    std::size_t bytes() const;
    std::vector<relay_pair>& pairs() { return pairs_; }

  private:
    std::vector<relay_pair> pairs_;
    std::vector<std::uint32_t> free_;
    std::size_t count_ = 0;
    std::int64_t full_;
    CFixedIndex by_token_;
    CFixedIndex by_endpoint_;  // value: slot * 2 + side
};
