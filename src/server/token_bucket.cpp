#include "server/token_bucket.h"

#include <algorithm>

namespace {

constexpr std::int64_t MILLION = 1000000;

}  // namespace

std::int64_t CTokenBucket::level(std::int64_t now_ms, const token_rate& rate) const {
    // Thousandths a second are millionths a millisecond.
    return std::min(rate.full * MILLION,
                    millionths_ + std::max<std::int64_t>(0, now_ms - at_ms_) * rate.thousandths_per_second);
}

bool CTokenBucket::full(std::int64_t now_ms, const token_rate& rate) const {
    return level(now_ms, rate) == rate.full * MILLION;
}

void CTokenBucket::fill(std::int64_t now_ms, const token_rate& rate) {
    millionths_ = rate.full * MILLION;
    at_ms_ = now_ms;
}

bool CTokenBucket::take(std::int64_t now_ms, const token_rate& rate, std::int64_t units) {
    millionths_ = level(now_ms, rate);
    at_ms_ = std::max(at_ms_, now_ms);
    if (millionths_ < units * MILLION)
        return false;
    millionths_ -= units * MILLION;
    return true;
}
