#include "game/netplay/hash_check.h"

CHashCheck::verdict CHashCheck::ours(std::uint32_t step, std::uint64_t hash, double now) {
    taken_any_ = true;
    last_taken_ = step;
    ours_[step] = {hash, now};
    return compare(step);
}

CHashCheck::verdict CHashCheck::theirs(std::uint32_t step, std::uint64_t hash, std::uint32_t reachable) {
    if (step > reachable)
        return NOT_REACHED;
    theirs_[step] = hash;
    return compare(step);
}

CHashCheck::verdict CHashCheck::compare(std::uint32_t step) {
    auto here = ours_.find(step);
    auto there = theirs_.find(step);
    if (here == ours_.end() || there == theirs_.end())
        return SAME_SO_FAR;
    const bool same = here->second.hash == there->second;
    if (same && step > agreed_step_) {
        agreed_step_ = step;
        agreed_hash_ = there->second;
    }
    ours_.erase(here);
    theirs_.erase(there);
    return same ? SAME_SO_FAR : DIFFERENT;
}

void CHashCheck::passed(std::uint32_t next) {
    for (auto i = theirs_.begin(); i != theirs_.end() && i->first < next;) {
        if (ours_.count(i->first) == 0)
            i = theirs_.erase(i);
        else
            ++i;
    }
}

bool CHashCheck::overdue(double now) const {
    // Checkpoints are taken in step order, so the first one waited longest.
    return !ours_.empty() && now - ours_.begin()->second.at > LIMIT;
}
