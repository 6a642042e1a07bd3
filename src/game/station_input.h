#pragma once

#include <cstdint>

// Everything a player can do to a station. Keys, pads and a remote player all end up here.
enum station_command : std::uint8_t {
    CMD_TURN_CW_ON,
    CMD_TURN_CW_OFF,
    CMD_TURN_CCW_ON,
    CMD_TURN_CCW_OFF,
    CMD_CHARGE,       // start charging a missile, when the station has one
    CMD_RELEASE,      // fire the charging missile
    CMD_FLARE,        // throw a flare, when the station has one
    CMD_DROP_CHARGE,  // forget the charge without firing (a pad unplugged while charging)
};

enum station_side : std::uint8_t { BLUE_STATION = 0, RED_STATION = 1 };

// The one way a player's action reaches the board: applies the command to the station at once.
void submit_station_command(station_side side, station_command command);

// Changes the station as the command says; does nothing before start-up has made the stations.
void apply_station_command(station_side side, station_command command);
