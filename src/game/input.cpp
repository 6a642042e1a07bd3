#include "game/input.h"

#include <algorithm>
#include <string>

#include "game/events.h"
#include "game/global.h"
#include "game/menus.h"
#include "game/network_match.h"
#include "game/network_screen.h"
#include "game/presentation.h"
#include "game/settings.h"
#include "game/sim/opponent_kind.h"
#include "game/station_input.h"
#include "platform/glfw2.h"

namespace {

using namespace global;

// -1 marks a control bound to no key; no key event may ever trigger it.
bool is(int key, int binding) {
    return binding != -1 && key == binding;
}

struct resolution {
    int width;
    int height;
};

const resolution resolutions[] = {{800, 600},   {1024, 600}, {1024, 768}, {1280, 800},
                                  {1280, 1024}, {1366, 768}, {1440, 900}};
constexpr int RESOLUTION_COUNT = sizeof(resolutions) / sizeof(resolutions[0]);

// A pair outside the list stays as it is.
void step_resolution(int direction) {
    for (int i = 0; i < RESOLUTION_COUNT; ++i) {
        if (resolutions[i].width == options.width && resolutions[i].height == options.height) {
            const resolution& next = resolutions[(i + direction + RESOLUTION_COUNT) % RESOLUTION_COUNT];
            options.width = next.width;
            options.height = next.height;
            return;
        }
    }
}

void reload_options() {
    if (options.read() != 0)
        options.restore();
    settings.read();
    if (options_menu != nullptr) {
        options.to_menu(options_menu);
        settings.to_menu(options_menu);
    }
}

void pause_match() {
    submit_match_command(MATCH_PAUSE);
    menu_state = MAIN;
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

void press_in_menu(int key) {
    if (key == glfw2::KEY_ESC) {
        switch (menu_state) {
            case DIFF:
                game_state = HIDDEN;
                menu_state = MAIN;
                break;
            case MAIN:
                menu_state = NONE;
                if (game_state == PAUSED)
                    submit_match_command(MATCH_RESUME);
                break;
            case OPTIONS:
                menu_state = NONE;
                submit_match_command(MATCH_RESUME);
                reload_options();
                break;
            case NONE:
                menu_state = MAIN;
                break;
            default:
                break;
        }
    } else if (key == glfw2::KEY_ENTER && game_state == ENDED && menu_state == NONE) {
        // Over the network the next match starts when both sides have asked for it.
        if (network_match::active()) {
            network_match::ready_for_next_match_soon();
        } else {
            restart();
            game_state = ON;
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

// The index of the menu's button under the pointer, as CWindow::check gives it; a press on a button
// is heard.
int pressed(CWindow* menu) {
    const int check = menu->check();
    if (check >= 0)
        record_event(EVENT_MENU_BUTTON);
    return check;
}

void click_pause_menu(int check) {
    switch (check) {
        case 0:
            submit_match_command(MATCH_RESUME);
            menu_state = NONE;
            break;
        case 1:
            // A network match is restarted by both sides after it ends, not by one side alone.
            if (network_match::active())
                break;
            restart();
            if (players == SINGLE) {
                game_state = PAUSED;
                menu_state = DIFF;
            } else {
                game_state = ON;
                menu_state = NONE;
            }
            break;
        case 2:
            menu_state = OPTIONS;
            break;
        case 3:
            // Over the network both sides stop at one step first, so that both recordings end alike.
            if (network_match::active()) {
                network_match::leave_soon();
                break;
            }
            // The match is recorded as it stood when left, so the board is reset before it is hidden.
            restart();
            game_state = HIDDEN;
            menu_state = MAIN;
            break;
        default:
            break;
    }
}

void click_main_menu(int check) {
    switch (check) {
        case 0:
            restart();
            game_state = PAUSED;
            menu_state = DIFF;
            players = SINGLE;
            break;
        case 1:
            restart();
            game_state = ON;
            menu_state = NONE;
            players = MULTI;
            break;
        case 2:
            menu_state = OPTIONS;
            break;
        case 3:
            presentation();
            menu_state = INSTRUCTIONS;
            break;
        case 4:
            game_state = CLOSING;
            break;
        case 5:
            network_screen::open();
            break;
        default:
            break;
    }
}

void click_diff_menu(int check) {
    static const int levels[] = {EASY, MEDIUM, HARD};
    if (check == OPPONENT_BUTTON) {
        settings.opponent = (settings.opponent + 1) % OPPONENT_KINDS;
        settings.to_difficulty_menu(diff_menu);
        settings.save();
        return;
    }
    if (check < EASY_BUTTON || check > HARD_BUTTON)
        return;
    difficulty = levels[check];
    opponent = settings.opponent;
    game_state = ON;
    menu_state = NONE;
}

void click_options_menu(int check) {
    if (check < 0 || check >= static_cast<int>(options_menu->buttons.size()))
        return;
    CButton* button = options_menu->buttons[check];
    if (check < KEY_BUTTON_COUNT) {
        if (CActive::read() != nullptr)
            CActive::read()->active = false;
        CActive::write(button);
        button->active = true;
    } else if (check == SAVE_BUTTON) {
        options.from_menu(options_menu);
        options.write();
        settings.save();
        menu_state = MAIN;
    } else if (check == CANCEL_BUTTON) {
        reload_options();
        menu_state = MAIN;
    } else if (check == SMALLER_BUTTON) {
        step_resolution(-1);
    } else if (check == LARGER_BUTTON) {
        step_resolution(+1);
    } else if (check == FULLSCREEN_BUTTON) {
        if (button->title == "Fullscreen OFF") {
            button->title = "Fullscreen ON";
        } else if (button->title == "Fullscreen ON") {
            button->title = "Fullscreen OFF";
        }
    } else if (check == SOUND_BUTTON) {
        settings.sound = !settings.sound;
        settings.to_menu(options_menu);
    } else if (check == VOLUME_DOWN_BUTTON) {
        settings.volume = std::max(0, settings.volume - 1);
    } else if (check == VOLUME_UP_BUTTON) {
        settings.volume = std::min(10, settings.volume + 1);
    }
}

}  // namespace

void keyboard_callback(int key, int action) {
    if (CButton* waiting = CActive::read()) {
        waiting->title = key2string(key);
        waiting->active = false;
        CActive::write(nullptr);
        record_event(EVENT_KEY_CAPTURED);
    }
    // Before start-up has created the stations there is nothing to steer.
    if (station1 == nullptr || station2 == nullptr)
        return;

    if (menu_state == NETWORK) {
        network_screen::key(key, action);
    } else if (action == glfw2::PRESS && game_state == ON) {
        press_in_match(key);
    } else if (action == glfw2::PRESS && game_state != HIDDEN) {
        press_in_menu(key);
    } else if (action == glfw2::RELEASE && game_state == ON) {
        release_in_match(key);
    }
}

void mouse_callback(int button, int action) {
    if (action != glfw2::PRESS || button != glfw2::MOUSE_BUTTON_LEFT)
        return;
    if (station1 == nullptr || station2 == nullptr)
        return;

    CWindow* menu = current_menu();
    if (menu == nullptr)
        return;
    if (menu == pause_menu) {
        click_pause_menu(pressed(menu));
    } else if (menu == main_menu) {
        click_main_menu(pressed(menu));
    } else if (menu == diff_menu) {
        click_diff_menu(pressed(menu));
    } else if (menu == howto_menu) {
        if (pressed(menu) == 0) {
            menu_state = MAIN;
            restart();
        }
    } else if (menu == options_menu) {
        click_options_menu(pressed(menu));
    } else if (menu == network_menu) {
        network_screen::click(pressed(menu));
    }
}

CWindow* current_menu() {
    if (menu_state == MAIN && game_state != HIDDEN)
        return pause_menu;
    if (menu_state == MAIN)
        return main_menu;
    if (menu_state == DIFF)
        return diff_menu;
    if (menu_state == INSTRUCTIONS)
        return howto_menu;
    if (menu_state == OPTIONS)
        return options_menu;
    // While a network game waits, its screen has nothing to click but Escape.
    if (menu_state == NETWORK && !network_match::active())
        return network_menu;
    return nullptr;
}

void escape_pressed() {
    if (station1 == nullptr || station2 == nullptr)
        return;
    if (menu_state == NETWORK)
        network_screen::key(glfw2::KEY_ESC, glfw2::PRESS);
    else if (game_state == ON)
        pause_match();
    else if (game_state != HIDDEN)
        press_in_menu(glfw2::KEY_ESC);
}

void enter_pressed() {
    if (station1 != nullptr && station2 != nullptr && game_state != ON && game_state != HIDDEN)
        press_in_menu(glfw2::KEY_ENTER);
}

void character_callback(int character, int action) {
    if (action == glfw2::PRESS && menu_state == NETWORK)
        network_screen::character(character);
}
