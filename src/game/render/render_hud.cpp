#include "game/render/render_hud.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/netplay/network_match.h"
#include "game/render/hud_images.h"
#include "game/render/key_list.h"
#include "game/render/match_picture.h"
#include "game/render/match_result.h"
#include "game/render/options_extras.h"
#include "game/render/still_screen.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/ui/menu_windows.h"
#include "game/ui/network_screen.h"
#include "graphics/graphics.h"
#include "graphics/interface_frame.h"
#include "interface/key_names.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace {

using namespace global;

float grey[4] = {0.8f, 0.8f, 0.8f, 1};
float green[4] = {0, 0.8f, 0, 1};
float red_panel[4] = {0.3f, 0, 0, 1};
float dimming[4] = {0, 0, 0, 0.7f};
float brown_tint[4] = {0.2f, 0.1f, 0, 0.3f};
float result_shade[4] = {0, 0, 0, 0.4f};
float howto_shade[4] = {0, 0, 0, 0.3f};

std::string result_prompt = "Press enter to restart";

// The zoom hint is for the start of a match: its first ten seconds on the match's clock, which counts
// the steps of a pause too.
constexpr std::uint64_t ZOOM_HINT_STEPS = 1000;

// Images and windows leave the no-texture name bound, so the font is selected again before text.
void text_colour(float* col) {
    set_texture("font");
    set_color(col);
}

// Every piece of a status panel, its text included, lies within the square of its largest picture: a
// panel that cannot reach the window rectangle drawn to is left out whole.
bool panel_shows(const CInterfaceElem& largest, int x, int y) {
    return reaches_clip(CInterfaceFrame::mapping().to_window(
        {x, y, static_cast<int>(largest.w), static_cast<int>(largest.h)}));
}

// The series so far, on the result screen of a network match.
std::string series_line() {
    const network_match::series_score s = network_match::series();
    return "Wins so far: blue " + int2string(s.blue) + ", red " + int2string(s.red);
}

// The right-hand panel, and the left-hand one up to its pulsing picture: all that lies under it.
void panels_under_pulse(int W, int H) {
    if (panel_shows(hud_right, W - 254, H - 240)) {
        draw_box(W - 194, H - 105, 165, 105, red_panel);
        text_colour(green);
        write(W - 164, H - 28, "HULL:", 20, 20, LEFT);
        write(W - 74, H - 28, station2->shields, 20, 20, RIGHT);
        write(W - 164, H - 53, "MINES:", 20, 20, LEFT);
        write(W - 74, H - 53, station2->rockets, 20, 20, RIGHT);
        write(W - 164, H - 78, "FLARES:", 20, 20, LEFT);
        write(W - 74, H - 78, station2->flares, 20, 20, RIGHT);
        const pixel_rect panel = noise_panel_area(W, H);
        noise.display(static_cast<float>(panel.x), static_cast<float>(panel.y));
        hud_right.display(W - 254, H - 240);
    }

    left_two.colour[3] = hud_pulse();
    if (panel_shows(left_three, -1, H - 239)) {
        left_one.display(-1, H - 189);
        text_colour(grey);
        write(30, H - 58, "HULL:", 20, 20, LEFT);
        write(120, H - 58, station1->shields, 20, 20, RIGHT);
        write(30, H - 78, "MINES:", 20, 20, LEFT);
        write(120, H - 78, station1->rockets, 20, 20, RIGHT);
        write(30, H - 98, "FLARES:", 20, 20, LEFT);
        write(120, H - 98, station1->flares, 20, 20, RIGHT);
    }
    if (network_match::playing()) {
        text_colour(grey);
        write(30, H - 160, network_panel_label(BLUE_STATION), 16, 16, LEFT);
        write(W - 164, H - 160, network_panel_label(RED_STATION), 16, 16, LEFT);
        // Small, out of the way of the board.
        const std::string link = network_match::link_label();
        if (!link.empty())
            write(W - 20, 10, link, 12, 12, RIGHT);
    }
}

// The left-hand panel's pulsing picture, if `pulse`, and the picture over it.
void pulse_and_over(int H, bool pulse) {
    if (!panel_shows(left_three, -1, H - 239))
        return;
    const pixel_rect area = pulse_area(H);
    if (pulse)
        left_two.display(static_cast<float>(area.x), static_cast<float>(area.y));
    left_three.display(-1, H - 239);
}

void zoom_hint(int W, int H) {
    if (!zoom_hint_shown())
        return;
    text_colour(grey);
    const std::string hint = "Use mouse scroll to adjust zoom";
    // Drawing a patch it cannot reach, it still leaves what its drawing would for what comes next.
    if (reaches_clip(CInterfaceFrame::mapping().to_window(text_box(W / 2, H - 50, hint, 20, 20, CENTER))))
        write(W / 2, H - 50, hint, 20, 20, CENTER);
    else
        leave_write_state(hint);
}

void title_backdrop(int W, int H) {
    cover_window(brown_tint);
    menu_planet1.display(W - 350, -50);
    logo.display(W - 550, H - 120);
    text_colour(grey);
    write(W - 65, H - 130, "version 1.1", 20, 20, RIGHT);
}

void end_of_match(int W, int H) {
    cover_window(result_shade);
    text_colour(grey);
    const char* message = nullptr;
    if (station1->shields <= 0 && station2->shields <= 0) {
        message = "DRAW!";
    } else if (station1->shields <= 0) {
        message = "Red player has won!";
    } else if (station2->shields <= 0) {
        message = "Blue player has won!";
    }
    if (message != nullptr)
        write(W / 2, H / 2, message, 30, 30, CENTER);
    write(W / 2, H / 2 - 30, result_prompt, 30, 30, CENTER);
    if (network_match::playing())
        write(W / 2, H / 2 - 60, series_line(), 20, 20, CENTER);
    draw_match_result(W, H, network_match::playing() ? 2 : 1);
}

void options_screen() {
    options_menu->draw();
    const float ox = options_menu->x;
    const float oy = options_menu->y;
    text_colour(grey);
    write(ox + 75, oy + 530, "BLUE", 30, 30, CENTER);
    write(ox + 200, oy + 530, "RED", 30, 30, CENTER);
    write(ox + 270, oy + 500, "Turn clockwise", 30, 30, LEFT);
    write(ox + 270, oy + 450, "Turn counter-clockwise", 30, 30, LEFT);
    write(ox + 270, oy + 400, "Primary fire", 30, 30, LEFT);
    write(ox + 270, oy + 350, "Secondary fire", 30, 30, LEFT);
    write(ox + 25, oy + 300, "Display options", 30, 30, LEFT);
    if (glfw2::window_size_offered()) {
        write(ox + 25, oy + 280, "Changes will take effect after restarting the game", 20, 20, LEFT);
        const std::string size = int2string(options.width) + "x" + int2string(options.height);
        write(ox + 140, oy + 230, size, 30, 30, CENTER);
    } else {
        write(ox + 25, oy + 280, "The page fits the game to its window;", 20, 20, LEFT);
        write(ox + 25, oy + 260, "its Fullscreen button is below the game", 20, 20, LEFT);
    }
    write(ox + 140, oy + 85, "Volume " + int2string(settings.volume), 20, 20, CENTER);
    draw_options_extras();
}

void how_to_play(int W, int H) {
    cover_window(howto_shade);
    howto_menu->draw();
    text_colour(grey);
    write(30, H - 50,
          "The objective of the game is\nto hit the opposing player with your white missiles 10 times,\nthus "
          "bringing his shield level to 0.",
          20, 20, LEFT);
    write(W - 25, H / 2 + 150, "Press secondary fire to instantly shoot out a red flare,", 20, 20, RIGHT);
    write(W - 25, H / 2 + 130, "and use it to take down incoming missiles.", 20, 20, RIGHT);
    write(30, 140,
          "Press and hold primary fire to load a white missile,\nthe circle indicates force with which the "
          "missile will be shot.",
          20, 20, LEFT);
    write(30, 100, "When you release the button, or when the indicator is full,\nthe missile will be shot.",
          20, 20, LEFT);
    draw_key_list(false, W);
}

}  // namespace

std::string network_panel_label(station_side side) {
    const network_match::series_score s = network_match::series();
    const std::string wins = "WINS: " + int2string(side == BLUE_STATION ? s.blue : s.red);
    return side == network_match::own_side() ? "YOU - " + wins : wins;
}

pixel_rect noise_panel_area(int W, int H) {
    return {W - 194, H - 105, static_cast<int>(global::noise.w), static_cast<int>(global::noise.h)};
}

pixel_rect pulse_area(int H) {
    return {0, H - 148, static_cast<int>(global::left_two.w), static_cast<int>(global::left_two.h)};
}

void draw_match_hud(bool pulse) {
    const int W = CInterfaceFrame::width(), H = CInterfaceFrame::height();
    panels_under_pulse(W, H);
    draw_pulse_and_over(pulse);
}

void draw_under_pulse() {
    panels_under_pulse(CInterfaceFrame::width(), CInterfaceFrame::height());
}

void draw_pulse_and_over(bool pulse) {
    const int W = CInterfaceFrame::width(), H = CInterfaceFrame::height();
    pulse_and_over(H, pulse);
    zoom_hint(W, H);
    network_screen::draw_note(W, H);
}

bool zoom_hint_shown() {
    return match_clock::step() < ZOOM_HINT_STEPS;
}

float hud_pulse() {
    // A slow pulse: 0.5 at the start of each 300-step period, 0.25 halfway.
    return std::abs(global::counter % 300 - 150) / 600.0f + 0.25f;
}

void gui_render() {
    const int W = CInterfaceFrame::width();
    const int H = CInterfaceFrame::height();
    // Before start-up has built the stations and menus only the frame rate can be shown.
    const bool ready = station1 != nullptr && station2 != nullptr && pause_menu != nullptr &&
                       diff_menu != nullptr && main_menu != nullptr && options_menu != nullptr &&
                       howto_menu != nullptr;

    // A match drawn as patches over its still picture has had its HUD drawn in them by the world pass.
    const bool patched = match_picture().patching();
    if (patched) {
        if (match_picture().put_back_under_pulse())
            draw_pulse_and_over(true);
        stop_clipping();
        match_picture().end_frame();
    } else if (ready && !still_screen().put_back()) {
        // On a still screen all of this is kept whole and put back; what changes by itself goes further down.
        // The options window stands where the blue panel does: over a match the panels make way for it.
        if (game_state != HIDDEN && menu_state != OPTIONS) {
            panels_under_pulse(W, H);
            pulse_and_over(H, true);
        }
        if (game_state != HIDDEN && menu_state != NONE)
            cover_window(dimming);
        if (menu_state == MAIN && game_state == HIDDEN)
            title_backdrop(W, H);
        if (menu_state == OPTIONS && game_state == HIDDEN) {
            cover_window(brown_tint);
            menu_planet2.display(W - 450, -50);
        }
        if (game_state != HIDDEN) {
            if (menu_state == MAIN) {
                pause_menu->draw();
                text_colour(grey);
                draw_key_list(true, W);
            } else if (menu_state == DIFF) {
                diff_menu->draw();
            }
        }
        if (menu_state == MAIN && game_state == HIDDEN)
            main_menu->draw();
        if (game_state == ENDED && menu_state == NONE)
            end_of_match(W, H);
        if (menu_state == OPTIONS)
            options_screen();
        if (menu_state == INSTRUCTIONS)
            how_to_play(W, H);
        still_screen().keep();
    }
    if (ready && !patched) {
        if (game_state == ON)
            zoom_hint(W, H);
        if (menu_state == NETWORK) {
            cover_window(brown_tint);
            menu_planet2.display(W - 450, -50);
            network_screen::draw(W, H);
        }
        network_screen::draw_note(W, H);
    }

    // A number leads with an empty cell: written one character early, its digits follow the colon as the
    // next character would.
    text_colour(grey);
    write(20, 10, "FPS:", 16, 16, LEFT);
    write(44, 10, fps, 16, 16, LEFT);
}

void set_result_prompt(const std::string& prompt) {
    result_prompt = prompt;
}
