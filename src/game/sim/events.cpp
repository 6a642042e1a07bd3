#include "game/sim/events.h"

namespace global {
std::vector<game_event> events;
std::vector<game_event> cut_events;
}  // namespace global

void record_event(event_kind kind, CVector where, float strength) {
    if (global::events.size() < MAX_EVENTS)
        global::events.push_back({kind, where, strength});
}
