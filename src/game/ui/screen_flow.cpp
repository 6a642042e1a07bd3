#include "game/ui/screen_flow.h"

#include <algorithm>

#include "game/config/frame_rate.h"
#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/netplay/network_match.h"
#include "game/run/run.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/opponent_kind.h"
#include "game/sim/presentation.h"
#include "game/ui/key_capture.h"
#include "game/ui/menu_windows.h"
#include "game/ui/menus.h"
#include "game/ui/network_screen.h"
#include "game/ui/resolution_list.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace {

using namespace global;

// The list holds the desktop's size as it is now.
void step_resolution(int direction) {
    resolution desktop{0, 0};
    glfw2::get_desktop_mode(&desktop.width, &desktop.height);
    const resolution next =
        step_resolution(offered_resolutions(desktop), {options.width, options.height}, direction);
    options.width = next.width;
    options.height = next.height;
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
            // Over the network the other side is asked to give this match up; the menu makes way for
            // the note that says so.
            if (network_match::active()) {
                network_match::ready_for_next_match_soon();
                menu_state = NONE;
                break;
            }
            run::new_local_match(players);
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
            run::clear_board();
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
            run::new_local_match(SINGLE);
            break;
        case 1:
            run::new_local_match(MULTI);
            break;
        case 2:
            menu_state = OPTIONS;
            break;
        case 3:
            run::clear_board();
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
        begin_key_capture(button);
    } else if (check == SAVE_BUTTON) {
        end_key_capture();
        options.from_menu(options_menu);
        options.write();
        settings.save();
        menu_state = MAIN;
    } else if (check == CANCEL_BUTTON) {
        end_key_capture();
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
    } else if (check == SOUND_BUTTON && settings.sound_device) {
        settings.sound = !settings.sound;
        settings.to_menu(options_menu);
    } else if (check == VOLUME_DOWN_BUTTON) {
        settings.volume = std::max(0, settings.volume - 1);
    } else if (check == VOLUME_UP_BUTTON) {
        settings.volume = std::min(10, settings.volume + 1);
    } else if (check == FRAME_RATE_BUTTON) {
        // Taken at once, as the sound is, so that the player sees what it does before saving.
        settings.frame_rate = frame_rate::next(settings.frame_rate);
        settings.to_menu(options_menu);
    }
}

void leave_how_to_play() {
    menu_state = MAIN;
    run::clear_board();
}

// The keys that start the next match from the result screen: both players' sides of the keyboard
// have one.
bool next_match_key(int key) {
    return key == glfw2::KEY_ENTER || key == glfw2::KEY_KP_ENTER || key == glfw2::KEY_SPACE;
}

}  // namespace

bool answer_new_match(int key) {
    if (!network_match::asked_for_new_match() || (menu_state != NONE && menu_state != MAIN))
        return false;
    if (key == glfw2::KEY_ENTER || key == glfw2::KEY_KP_ENTER)
        run::play_again();
    else if (key == glfw2::KEY_ESC)
        network_match::decline_new_match_soon();
    else
        return false;
    return true;
}

void pause_match() {
    submit_match_command(MATCH_PAUSE);
    menu_state = MAIN;
}

void screen_key(int key) {
    if (menu_state == INSTRUCTIONS) {
        if (key == glfw2::KEY_ESC || key == glfw2::KEY_ENTER || key == glfw2::KEY_KP_ENTER)
            leave_how_to_play();
    } else if (key == glfw2::KEY_ESC) {
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
    } else if (next_match_key(key) && game_state == ENDED && menu_state == NONE) {
        // Over the network the next match starts when both sides have asked for it.
        run::play_again();
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
        if (pressed(menu) == 0)
            leave_how_to_play();
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
    if (capture_key(glfw2::KEY_ESC) || answer_new_match(glfw2::KEY_ESC))
        return;
    if (menu_state == NETWORK)
        network_screen::key(glfw2::KEY_ESC, glfw2::PRESS);
    else if (game_state == ON)
        pause_match();
    else if (game_state != HIDDEN || menu_state == INSTRUCTIONS)
        screen_key(glfw2::KEY_ESC);
}

void enter_pressed() {
    if (station1 == nullptr || station2 == nullptr)
        return;
    if (!answer_new_match(glfw2::KEY_ENTER) && game_state != ON && game_state != HIDDEN)
        screen_key(glfw2::KEY_ENTER);
}
