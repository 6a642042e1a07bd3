#include "game/input/keyboard.h"

#include "game/config/options.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/ui/key_capture.h"
#include "game/ui/network_screen.h"
#include "game/ui/screen_flow.h"
#include "platform/glfw2.h"

namespace {

using namespace global;

// -1 marks a control bound to no key; no key event may ever trigger it. Nor may Escape, which a file
// written before it was refused may still hold: it always pauses.
bool is(int key, int binding) {
    return binding != -1 && binding != glfw2::KEY_ESC && key == binding;
}

void press_in_match(int key) {
    if (is(key, options.blue_primary)) {
        submit_station_command(BLUE_STATION, CMD_CHARGE);
    } else if (is(key, options.blue_secondary)) {
        submit_station_command(BLUE_STATION, CMD_FLARE);
    } else if (is(key, options.blue_cw)) {
        submit_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    } else if (is(key, options.blue_ccw)) {
        submit_station_command(BLUE_STATION, CMD_TURN_CCW_ON);
    } else if (key == glfw2::KEY_ESC) {
        pause_match();
    } else if (players == MULTI) {
        if (is(key, options.red_primary)) {
            submit_station_command(RED_STATION, CMD_CHARGE);
        } else if (is(key, options.red_secondary)) {
            submit_station_command(RED_STATION, CMD_FLARE);
        } else if (is(key, options.red_cw)) {
            submit_station_command(RED_STATION, CMD_TURN_CW_ON);
        } else if (is(key, options.red_ccw)) {
            submit_station_command(RED_STATION, CMD_TURN_CCW_ON);
        }
    }
}

void release_in_match(int key) {
    if (is(key, options.blue_primary)) {
        submit_station_command(BLUE_STATION, CMD_RELEASE);
    } else if (is(key, options.blue_cw)) {
        submit_station_command(BLUE_STATION, CMD_TURN_CW_OFF);
    } else if (is(key, options.blue_ccw)) {
        submit_station_command(BLUE_STATION, CMD_TURN_CCW_OFF);
    } else if (players == MULTI) {
        // One key bound to several red actions releases all of them.
        if (is(key, options.red_primary))
            submit_station_command(RED_STATION, CMD_RELEASE);
        if (is(key, options.red_cw))
            submit_station_command(RED_STATION, CMD_TURN_CW_OFF);
        if (is(key, options.red_ccw))
            submit_station_command(RED_STATION, CMD_TURN_CCW_OFF);
    }
}

}  // namespace

void keyboard_callback(int key, int action) {
    if (capture_key(key))
        return;
    // Before start-up has created the stations there is nothing to steer.
    if (station1 == nullptr || station2 == nullptr)
        return;

    if (menu_state == NETWORK) {
        network_screen::key(key, action);
    } else if (action == glfw2::PRESS && answer_new_match(key)) {
        // the key went to the other side's request, not to the board
    } else if (action == glfw2::PRESS && game_state == ON) {
        press_in_match(key);
    } else if (action == glfw2::PRESS && (game_state != HIDDEN || menu_state == INSTRUCTIONS)) {
        screen_key(key);
    } else if (action == glfw2::RELEASE && game_state == ON) {
        release_in_match(key);
    }
}

void character_callback(int character, int action) {
    if (action == glfw2::PRESS && menu_state == NETWORK)
        network_screen::character(character);
}
