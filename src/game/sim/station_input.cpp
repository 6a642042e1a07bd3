#include "game/sim/station_input.h"

#include "game/sim/global.h"
#include "general/texture_names.h"

namespace {

void apply_match_command(match_command command) {
    switch (command) {
        case MATCH_PAUSE:
            global::game_state = global::PAUSED;
            break;
        case MATCH_RESUME:
            global::game_state = global::ON;
            break;
    }
}
}  // namespace

bool operator==(const board_command& a, const board_command& b) {
    return a.target == b.target && a.code == b.code;
}

bool valid_command(const board_command& c) {
    if (c.target == TARGET_MATCH)
        return c.code < MATCH_COMMANDS;
    return (c.target == TARGET_BLUE || c.target == TARGET_RED) && c.code < STATION_COMMANDS;
}

std::uint8_t command_byte(const board_command& c) {
    return static_cast<std::uint8_t>(c.target << 4 | c.code);
}

board_command byte_command(std::uint8_t b) {
    return {static_cast<command_target>(b >> 4), static_cast<std::uint8_t>(b & 0x0f)};
}

void apply_command(const board_command& command) {
    if (command.target == TARGET_MATCH)
        apply_match_command(static_cast<match_command>(command.code));
    else
        apply_station_command(static_cast<station_side>(command.target),
                              static_cast<station_command>(command.code));
}

void apply_station_command(station_side side, station_command command) {
    global::CStation* station = side == BLUE_STATION ? global::station1 : global::station2;
    if (station == nullptr)
        return;
    switch (command) {
        case CMD_TURN_CW_ON:
            station->cw = true;
            break;
        case CMD_TURN_CW_OFF:
            station->cw = false;
            break;
        case CMD_TURN_CCW_ON:
            station->ccw = true;
            break;
        case CMD_TURN_CCW_OFF:
            station->ccw = false;
            break;
        case CMD_CHARGE:
            if (station->rockets > 0)
                station->loading = true;
            break;
        case CMD_RELEASE:
            if (station->loading)
                station->shoot_rocket(texture_id("missile"));
            station->loading = false;
            station->loaded = 0;
            break;
        case CMD_FLARE:
            if (station->flares > 0)
                station->shoot_flare(texture_id("missile"));
            break;
        case CMD_DROP_CHARGE:
            station->loading = false;
            station->loaded = 0;
            break;
    }
}
