#include "game/run/heard_events.h"

#include <algorithm>
#include <cmath>

#include "game/netplay/netplay.h"

namespace {

// The same happening in both runs of a step: another command of the other side may move it a little.
constexpr float SAME_PLACE = 1.0f;

bool same(const game_event& a, const game_event& b) {
    return a.kind == b.kind && std::hypot(a.where.x - b.where.x, a.where.y - b.where.y) < SAME_PLACE;
}

bool identical(const game_event& a, const game_event& b) {
    return a.kind == b.kind && a.where.x == b.where.x && a.where.y == b.where.y && a.strength == b.strength;
}

}  // namespace

void CHeardEvents::ran(std::uint32_t step, std::size_t from) {
    std::vector<game_event>& list = global::events;
    const std::vector<game_event> now(list.begin() + static_cast<std::ptrdiff_t>(from), list.end());
    const auto before = heard_.find(step);
    if (before != heard_.end()) {
        std::vector<game_event> gone = before->second;
        std::size_t keep = from;
        for (const game_event& e : now) {
            const auto match =
                std::find_if(gone.begin(), gone.end(), [&](const game_event& g) { return same(g, e); });
            if (match != gone.end())
                gone.erase(match);
            else
                list[keep++] = e;
        }
        list.resize(keep);
        // Not played yet, it is simply dropped; played, it is cut short.
        for (const game_event& g : gone) {
            const auto waiting =
                std::find_if(list.begin(), list.end(), [&](const game_event& e) { return identical(e, g); });
            if (waiting != list.end())
                list.erase(waiting);
            else
                global::cut_events.push_back(g);
        }
    }
    heard_[step] = now;
    if (step > CNetSession::ROLLBACK_REACH)
        heard_.erase(heard_.begin(), heard_.lower_bound(step - CNetSession::ROLLBACK_REACH));
}
