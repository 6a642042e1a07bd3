#pragma once

#include <cstdint>
#include <vector>

#include "general/primitives.h"

// What happened on the board or in the menus: recorded by the logic step, the stations and the input
// callbacks as it happens, and played (or, later, sent or stored) once the main loop's turn is over.
enum event_kind : std::uint8_t {
    EVENT_MISSILE_FIRED,  // strength: the charge it was fired with, 0 to 2.5
    EVENT_FLARE_THROWN,
    EVENT_EXPLOSION,  // strength 1 when a station is within the blast, 0 otherwise
    EVENT_STATION_HIT,
    EVENT_MISSILE_REFILLED,
    EVENT_FLARE_REFILLED,
    EVENT_MATCH_WON,
    EVENT_MATCH_DRAWN,
    EVENT_MENU_BUTTON,
    EVENT_KEY_CAPTURED,
};

struct game_event {
    event_kind kind;
    CVector where;  // world position; the centre for menu events
    float strength;
};

// At most this many events are kept per turn; more in one turn would only be heard as one anyway.
constexpr std::size_t MAX_EVENTS = 256;

// Appends an event to the turn's list; beyond MAX_EVENTS it is dropped.
void record_event(event_kind kind, CVector where = CVector(0, 0), float strength = 0);

namespace global {
// The turn's events in the order they happened.
extern std::vector<game_event> events;
// Events heard in an earlier turn that did not happen after all (a network match's step run again):
// what they sound like is cut short.
extern std::vector<game_event> cut_events;
}  // namespace global
