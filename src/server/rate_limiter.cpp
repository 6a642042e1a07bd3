#include "server/rate_limiter.h"

#include <algorithm>

namespace {

constexpr std::size_t WAYS = 8;
constexpr std::int64_t COST = 1000;
constexpr std::int64_t TELL_EVERY_MS = 1000;

}  // namespace

CRateLimiter::CRateLimiter(std::size_t capacity, std::uint32_t per_second, std::uint32_t burst,
                           std::uint64_t salt)
    : buckets_((std::max<std::size_t>(capacity, WAYS) + WAYS - 1) / WAYS * WAYS),
      sets_(buckets_.size() / WAYS),
      per_ms_(per_second),
      full_(static_cast<std::int64_t>(burst) * COST),
      salt_(salt) {}

std::int64_t CRateLimiter::level(const bucket& b, std::int64_t now_ms) const {
    return std::min(full_, b.tokens + std::max<std::int64_t>(0, now_ms - b.filled_ms) * per_ms_);
}

CRateLimiter::verdict CRateLimiter::take(std::uint32_t address, std::int64_t now_ms) {
    std::uint64_t z = (address ^ salt_) * 0x9e3779b97f4a7c15ULL;
    z ^= z >> 29;
    bucket* set = &buckets_[static_cast<std::size_t>(z % sets_) * WAYS];
    bucket* b = nullptr;
    bucket* spare = nullptr;
    for (std::size_t i = 0; i < WAYS && b == nullptr; ++i) {
        if (set[i].used && set[i].address == address)
            b = &set[i];
        else if (spare == nullptr && (!set[i].used || level(set[i], now_ms) == full_))
            spare = &set[i];
    }
    if (b == nullptr) {
        if (spare == nullptr)
            return REFUSE_QUIET;
        b = spare;
        *b = bucket();
        b->used = true;
        b->address = address;
        b->tokens = full_;
        b->filled_ms = now_ms;
        b->told_ms = now_ms - TELL_EVERY_MS;
    }
    b->tokens = level(*b, now_ms);
    b->filled_ms = now_ms;
    if (b->tokens >= COST) {
        b->tokens -= COST;
        return ALLOW;
    }
    if (now_ms - b->told_ms < TELL_EVERY_MS)
        return REFUSE_QUIET;
    b->told_ms = now_ms;
    return REFUSE_TELL;
}
