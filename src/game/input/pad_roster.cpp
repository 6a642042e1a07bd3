#include "game/input/pad_roster.h"

#include <algorithm>

namespace {

bool seat_taken(const std::vector<CPadRoster::entry>& pads, int seat) {
    return std::any_of(pads.begin(), pads.end(),
                       [seat](const CPadRoster::entry& e) { return e.seat == seat; });
}

// The font has glyphs for printable ASCII only.
std::string printable_name(const std::string& name, size_t width) {
    std::string out;
    for (char c : name.substr(0, width))
        out += c >= 32 && c < 127 ? c : '?';
    return out.empty() ? "Pad" : out;
}

}  // namespace

void CPadRoster::connect(int id, const std::string& name) {
    for (entry& e : pads_) {
        if (e.id == id) {
            e.name = name;
            return;
        }
    }
    int seat = -1;
    for (int s : {0, 1}) {
        if (!seat_taken(pads_, s)) {
            seat = s;
            break;
        }
    }
    pads_.push_back({id, name, seat});
}

void CPadRoster::disconnect(int id) {
    auto gone = std::find_if(pads_.begin(), pads_.end(), [id](const entry& e) { return e.id == id; });
    if (gone == pads_.end())
        return;
    const int seat = gone->seat;
    pads_.erase(gone);
    if (seat < 0)
        return;
    for (entry& e : pads_) {
        if (e.seat < 0) {
            e.seat = seat;
            return;
        }
    }
}

bool CPadRoster::has(int id) const {
    return std::any_of(pads_.begin(), pads_.end(), [id](const entry& e) { return e.id == id; });
}

bool CPadRoster::station_of(int id, bool single_player, bool swapped, station_side& side) const {
    for (const entry& e : pads_) {
        if (e.id != id)
            continue;
        if (single_player) {
            side = BLUE_STATION;
            return true;
        }
        if (e.seat < 0)
            return false;
        side = (e.seat == 0) != swapped ? BLUE_STATION : RED_STATION;
        return true;
    }
    return false;
}

std::vector<std::string> pad_roster_lines(const CPadRoster& roster, bool single_player, bool swapped,
                                          size_t width) {
    std::vector<std::string> lines;
    for (const CPadRoster::entry& e : roster.pads()) {
        station_side side = BLUE_STATION;
        const char* station = "Spare";
        if (roster.station_of(e.id, single_player, swapped, side))
            station = side == BLUE_STATION ? "Blue" : "Red";
        const std::string prefix = std::string(station) + ": ";
        lines.push_back(prefix + printable_name(e.name, width > prefix.size() ? width - prefix.size() : 0));
    }
    return lines;
}
