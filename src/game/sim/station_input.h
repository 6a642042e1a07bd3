#pragma once

#include <cstdint>

// Everything a player can do to a station. Keys, pads, the computer and a remote player all end up here
// (through the run's submit_station_command, run/run.h).
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
constexpr int STATION_COMMANDS = CMD_DROP_CHARGE + 1;

enum station_side : std::uint8_t { BLUE_STATION = 0, RED_STATION = 1 };

// Menu actions that stop and start the board during a match.
enum match_command : std::uint8_t { MATCH_PAUSE, MATCH_RESUME };
constexpr int MATCH_COMMANDS = MATCH_RESUME + 1;

// A command for the board: to one station, or to the match as a whole.
enum command_target : std::uint8_t { TARGET_BLUE = BLUE_STATION, TARGET_RED = RED_STATION, TARGET_MATCH = 2 };
struct board_command {
    command_target target;
    std::uint8_t code;  // a station_command, or a match_command for TARGET_MATCH
};
bool operator==(const board_command& a, const board_command& b);
// False for a target or code out of range (a damaged recording, a bad network message).
bool valid_command(const board_command& c);
// A command in one byte, as recordings and network messages carry it: its target in the high half, its
// code in the low half.
std::uint8_t command_byte(const board_command& c);
board_command byte_command(std::uint8_t b);

// Changes the board as the command says; nothing before start-up has made the stations.
void apply_command(const board_command& command);
void apply_station_command(station_side side, station_command command);
