#include "game/station_input.h"

#include "game/global.h"
#include "graphics/textures.h"

void submit_station_command(station_side side, station_command command) {
    apply_station_command(side, command);
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
                station->shoot_rocket(set_texture("missile"));
            station->loading = false;
            station->loaded = 0;
            break;
        case CMD_FLARE:
            if (station->flares > 0)
                station->shoot_flare(set_texture("missile"));
            break;
        case CMD_DROP_CHARGE:
            station->loading = false;
            station->loaded = 0;
            break;
    }
}
