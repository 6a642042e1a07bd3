#include "server/relay_table.h"

CRelayTable::CRelayTable(std::size_t capacity, std::uint32_t bytes_per_second,
                         std::uint32_t datagrams_per_second, std::uint64_t salt)
    : pairs_(capacity),
      bytes_(per_second(bytes_per_second, bytes_per_second)),
      datagrams_(per_second(datagrams_per_second, datagrams_per_second)),
      by_token_(capacity, salt),
      by_peer_(2 * capacity, salt * 7 + 3) {
    free_.reserve(capacity);
    for (std::size_t i = capacity; i-- > 0;)
        free_.push_back(static_cast<std::uint32_t>(i));
}

relay_pair* CRelayTable::by_token(std::uint64_t token) {
    std::uint32_t slot = 0;
    return by_token_.find(token, slot) ? &pairs_[slot] : nullptr;
}

relay_pair* CRelayTable::by_peer(const peer& from, int& side) {
    std::uint32_t value = 0;
    if (!by_peer_.find(peer_key(from), value))
        return nullptr;
    side = static_cast<int>(value & 1);
    return &pairs_[value >> 1];
}

relay_pair* CRelayTable::add(std::uint64_t token, const peer& a, const peer& b, std::int64_t now_ms) {
    if (free_.empty())
        return nullptr;
    const std::uint32_t slot = free_.back();
    free_.pop_back();
    ++count_;
    relay_pair& p = pairs_[slot];
    p = relay_pair();
    p.used = true;
    p.token = token;
    p.side[0] = a;
    p.side[1] = b;
    p.last_ms = now_ms;
    for (int s = 0; s < 2; ++s) {
        p.bytes[s].fill(now_ms, bytes_);
        p.datagrams[s].fill(now_ms, datagrams_);
        by_peer_.insert(peer_key(p.side[s]), slot * 2 + static_cast<std::uint32_t>(s));
    }
    by_token_.insert(token, slot);
    return &p;
}

bool CRelayTable::pass(relay_pair& p, int side, std::size_t size, std::int64_t now_ms) {
    p.last_ms = now_ms;
    if (!p.datagrams[side].take(now_ms, datagrams_) ||
        !p.bytes[side].take(now_ms, bytes_, static_cast<std::int64_t>(size + DATAGRAM_OVERHEAD))) {
        ++p.over_budget;
        return false;
    }
    p.forwarded += size;
    return true;
}

void CRelayTable::remove(relay_pair& p) {
    for (const peer& e : p.side)
        by_peer_.erase(peer_key(e));
    by_token_.erase(p.token);
    p.used = false;
    free_.push_back(static_cast<std::uint32_t>(&p - pairs_.data()));
    --count_;
}

std::size_t CRelayTable::bytes() const {
    return pairs_.size() * sizeof(relay_pair) + free_.capacity() * sizeof(std::uint32_t) + by_token_.bytes() +
           by_peer_.bytes();
}
