#include "game/under_menu.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/global.h"
#include "game/state_hash.h"
#include "graphics/display.h"
#include "graphics/picture_inputs.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"

namespace {

using namespace global;

void describe(std::vector<float>& out, const CInterfaceElem& e) {
    const float body[] = {e.h,
                          e.w,
                          static_cast<float>(e.texture),
                          static_cast<float>(e.animation),
                          static_cast<float>(e.frames_h),
                          static_cast<float>(e.frames_v),
                          static_cast<float>(e.anim_speed),
                          static_cast<float>(e.blend),
                          static_cast<float>(e.counter)};
    append_inputs(out, body, sizeof body / sizeof body[0]);
    append_inputs(out, e.colour, 4);
}

void describe(std::vector<float>& out, const std::string& text) {
    out.push_back(static_cast<float>(text.size()));
    for (char c : text)
        out.push_back(static_cast<float>(static_cast<unsigned char>(c)));
}

void describe(std::vector<float>& out, const window_graphics& g) {
    append_inputs(out, g.colour, 4);
    append_inputs(out, g.o_colour, 4);
    append_inputs(out, g.f_colour, 4);
    const float rest[] = {static_cast<float>(g.texture), static_cast<float>(g.font), g.font_size,
                          g.outline ? 1.0f : 0.0f};
    append_inputs(out, rest, 4);
}

// A menu drawn with the still picture: its place, looks and text, and which button the pointer or the
// keyboard highlights.
void describe(std::vector<float>& out, CWindow& menu) {
    const float place[] = {menu.x, menu.y, menu.h, menu.w, static_cast<float>(menu.check())};
    append_inputs(out, place, 5);
    describe(out, menu.title);
    for (const window_graphics* g : {&menu.normal, &menu.hover, &menu.window, &menu.active})
        describe(out, *g);
    for (const CButton* b : menu.buttons) {
        const float button[] = {b->x, b->y, b->h, b->w, b->active ? 1.0f : 0.0f};
        append_inputs(out, button, 5);
        describe(out, b->title);
    }
}

// The menu drawn with the still picture, if any: the options screen's menu is drawn apart, under text
// that changes with the settings.
CWindow* still_menu() {
    if (menu_state == MAIN)
        return game_state == HIDDEN ? main_menu : pause_menu;
    if (menu_state == DIFF && game_state != HIDDEN)
        return diff_menu;
    return nullptr;
}

// Everything the picture under the menu is drawn from, or nothing on a screen where it moves.
std::vector<float> under_menu_now() {
    const bool title = game_state == HIDDEN && (menu_state == MAIN || menu_state == OPTIONS);
    const bool over_board =
        game_state == PAUSED && menu_state != NONE && station1 != nullptr && station2 != nullptr;
    if (!title && !over_board)
        return {};
    std::vector<float> out = {static_cast<float>(game_state),
                              static_cast<float>(menu_state),
                              static_cast<float>(players),
                              static_cast<float>(CDisplay::width()),
                              static_cast<float>(CDisplay::height()),
                              static_cast<float>(texture_loads),
                              zooming ? 1.0f : 0.0f,
                              zoom_mul,
                              static_cast<float>(glfw2::get_mouse_wheel())};
    append_inputs(out, camera, 3);
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    append_inputs(out, clear, 4);
    for (const CParticle* p : {&background, &clouds, &star, &shadow_1, &shadow_2, &planet1, &planet2})
        append_body_inputs(out, *p);
    for (const CInterfaceElem* e :
         {&noise, &hud_right, &left_one, &left_two, &left_three, &menu_planet1, &menu_planet2, &logo})
        describe(out, *e);
    if (CWindow* menu = still_menu())
        describe(out, *menu);
    if (over_board) {
        // The board itself: every particle, both stations and the clocks, in 16-bit pieces a float holds.
        const std::uint64_t hash = state_hash();
        for (int shift = 0; shift < 64; shift += 16)
            out.push_back(static_cast<float>((hash >> shift) & 0xffff));
        out.push_back(static_cast<float>(counter));
    }
    return out;
}

}  // namespace

namespace {

bool rendering() {
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return mode == GL_RENDER;
}

}  // namespace

bool CUnderMenu::kept() const {
    // Feedback and selection passes draw everything: they leave the window untouched.
    return !view.empty() && rendering() && view == under_menu_now();
}

bool CUnderMenu::put_back() const {
    if (!kept())
        return false;
    copy.put_back(0, 0, CDisplay::width(), CDisplay::height());
    return true;
}

void CUnderMenu::keep() {
    view = under_menu_now();
    if (view.empty() || !rendering() || !copy.take(0, 0, CDisplay::width(), CDisplay::height()))
        view.clear();
}

CUnderMenu& under_menu() {
    static CUnderMenu self;
    return self;
}
