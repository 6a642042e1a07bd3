#include "server/rate_limiter.h"

#include <algorithm>

namespace {

constexpr std::size_t WAYS = 8;
constexpr std::int64_t TELL_EVERY_MS = 1000;

}  // namespace

CRateLimiter::CRateLimiter(std::size_t capacity, token_rate requests, token_rate joins, std::uint64_t salt)
    : entries_((std::max<std::size_t>(capacity, WAYS) + WAYS - 1) / WAYS * WAYS),
      sets_(entries_.size() / WAYS),
      requests_(requests),
      joins_(joins),
      salt_(salt) {}

bool CRateLimiter::idle(const entry& e, std::int64_t now_ms) const {
    return !e.used || (e.requests.full(now_ms, requests_) && e.joins.full(now_ms, joins_));
}

CRateLimiter::verdict CRateLimiter::take(std::uint32_t address, bool join, std::int64_t now_ms) {
    std::uint64_t z = (address ^ salt_) * 0x9e3779b97f4a7c15ULL;
    z ^= z >> 29;
    entry* set = &entries_[static_cast<std::size_t>(z % sets_) * WAYS];
    entry* e = nullptr;
    entry* spare = nullptr;
    for (std::size_t i = 0; i < WAYS && e == nullptr; ++i) {
        if (set[i].used && set[i].address == address)
            e = &set[i];
        else if (spare == nullptr && idle(set[i], now_ms))
            spare = &set[i];
    }
    if (e == nullptr) {
        if (spare == nullptr)
            return REFUSE_QUIET;
        e = spare;
        e->used = true;
        e->address = address;
        e->requests.fill(now_ms, requests_);
        e->joins.fill(now_ms, joins_);
        e->told_ms = now_ms - TELL_EVERY_MS;
    }
    // A join refused by its own budget still spent a request: both budgets hold whatever is sent.
    if (e->requests.take(now_ms, requests_) && (!join || e->joins.take(now_ms, joins_)))
        return ALLOW;
    if (now_ms - e->told_ms < TELL_EVERY_MS)
        return REFUSE_QUIET;
    e->told_ms = now_ms;
    return REFUSE_TELL;
}
