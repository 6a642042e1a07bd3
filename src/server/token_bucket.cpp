#include "server/token_bucket.h"

#include <algorithm>

std::int64_t CTokenBucket::level(std::int64_t now_ms) const {
    return std::min(full_, thousandths_ + std::max<std::int64_t>(0, now_ms - at_ms_) * per_ms_);
}

void CTokenBucket::fill(std::int64_t now_ms) {
    thousandths_ = full_;
    at_ms_ = now_ms;
}

bool CTokenBucket::take(std::int64_t now_ms, std::int64_t units) {
    thousandths_ = level(now_ms);
    at_ms_ = std::max(at_ms_, now_ms);
    if (thousandths_ < units * 1000)
        return false;
    thousandths_ -= units * 1000;
    return true;
}
