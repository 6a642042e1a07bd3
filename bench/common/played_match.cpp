#include "played_match.h"

#include "game/sim/logic.h"
#include "game/sim/station_input.h"

CPlayedMatch::CPlayedMatch() {
    apply_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    apply_station_command(RED_STATION, CMD_TURN_CCW_ON);
}

void CPlayedMatch::step() {
    ++steps_;
    if (steps_ % 200 == 50)
        apply_station_command(BLUE_STATION, CMD_CHARGE);
    if (steps_ % 200 == 150)
        apply_station_command(BLUE_STATION, CMD_DROP_CHARGE);
    program_logic();
}
