#include "game/input.h"

#include <string>

#include "game/global.h"
#include "game/menus.h"
#include "game/presentation.h"
#include "graphics/textures.h"
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
    if (options_menu != nullptr)
        options.to_menu(options_menu);
}

void fire_rocket_on_release(CStation* station) {
    if (station->loading)
        station->shoot_rocket(set_texture("missile"));
    station->loading = false;
    station->loaded = 0;
}

void press_in_match(int key) {
    if (is(key, options.blue_primary)) {
        if (station1->rockets > 0)
            station1->loading = true;
    } else if (is(key, options.blue_secondary)) {
        if (station1->flares > 0)
            station1->shoot_flare(set_texture("missile"));
    } else if (is(key, options.blue_cw)) {
        station1->cw = true;
    } else if (is(key, options.blue_ccw)) {
        station1->ccw = true;
    } else if (key == glfw2::KEY_ESC) {
        game_state = PAUSED;
        menu_state = MAIN;
    } else if (players == MULTI) {
        if (is(key, options.red_primary)) {
            if (station2->rockets > 0)
                station2->loading = true;
        } else if (is(key, options.red_secondary)) {
            if (station2->flares > 0)
                station2->shoot_flare(set_texture("missile"));
        } else if (is(key, options.red_cw)) {
            station2->cw = true;
        } else if (is(key, options.red_ccw)) {
            station2->ccw = true;
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
                    game_state = ON;
                break;
            case OPTIONS:
                menu_state = NONE;
                game_state = ON;
                reload_options();
                break;
            case NONE:
                menu_state = MAIN;
                break;
            default:
                break;
        }
    } else if (key == glfw2::KEY_ENTER && game_state == ENDED && menu_state == NONE) {
        restart();
        game_state = ON;
    }
}

void release_in_match(int key) {
    if (is(key, options.blue_primary)) {
        fire_rocket_on_release(station1);
    } else if (is(key, options.blue_cw)) {
        station1->cw = false;
    } else if (is(key, options.blue_ccw)) {
        station1->ccw = false;
    } else if (players == MULTI) {
        // One key bound to several red actions releases all of them.
        if (is(key, options.red_primary))
            fire_rocket_on_release(station2);
        if (is(key, options.red_cw))
            station2->cw = false;
        if (is(key, options.red_ccw))
            station2->ccw = false;
    }
}

void click_pause_menu(int check) {
    switch (check) {
        case 0:
            game_state = ON;
            menu_state = NONE;
            break;
        case 1:
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
            game_state = HIDDEN;
            restart();
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
        default:
            break;
    }
}

void click_diff_menu(int check) {
    static const int levels[] = {EASY, MEDIUM, HARD};
    if (check < 0 || check > 2)
        return;
    difficulty = levels[check];
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
    }
}

}  // namespace

void keyboard_callback(int key, int action) {
    if (CButton* waiting = CActive::read()) {
        waiting->title = key2string(key);
        waiting->active = false;
        CActive::write(nullptr);
    }
    // Before start-up has created the stations there is nothing to steer.
    if (station1 == nullptr || station2 == nullptr)
        return;

    if (action == glfw2::PRESS && game_state == ON) {
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

    if (menu_state == MAIN && game_state != HIDDEN) {
        if (pause_menu != nullptr)
            click_pause_menu(pause_menu->check());
    } else if (menu_state == MAIN) {
        if (main_menu != nullptr)
            click_main_menu(main_menu->check());
    } else if (menu_state == DIFF) {
        if (diff_menu != nullptr)
            click_diff_menu(diff_menu->check());
    } else if (menu_state == INSTRUCTIONS) {
        if (howto_menu != nullptr && howto_menu->check() == 0) {
            menu_state = MAIN;
            restart();
        }
    } else if (menu_state == OPTIONS) {
        if (options_menu != nullptr)
            click_options_menu(options_menu->check());
    }
}

void character_callback(int, int) {}
