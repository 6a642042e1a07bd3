#include "game/under_menu.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "game/global.h"
#include "game/state_hash.h"
#include "graphics/display.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"

namespace {

using namespace global;

void push(std::vector<float>& out, const float* values, int n) {
    out.insert(out.end(), values, values + n);
}

void describe(std::vector<float>& out, const CParticle& p) {
    const graphical& g = p.gfx;
    const float body[] = {p.pos.x,
                          p.pos.y,
                          p.ang_pos,
                          static_cast<float>(p.counter),
                          static_cast<float>(g.texture),
                          static_cast<float>(g.blend),
                          static_cast<float>(g.animation),
                          static_cast<float>(g.geometry.size())};
    push(out, body, sizeof body / sizeof body[0]);
    push(out, g.colour, 4);
    for (const CVector& c : g.geometry) {
        out.push_back(c.x);
        out.push_back(c.y);
    }
}

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
    push(out, body, sizeof body / sizeof body[0]);
    push(out, e.colour, 4);
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
    push(out, camera, 3);
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    push(out, clear, 4);
    for (const CParticle* p : {&background, &clouds, &star, &shadow_1, &shadow_2, &planet1, &planet2})
        describe(out, *p);
    for (const CInterfaceElem* e :
         {&noise, &hud_right, &left_one, &left_two, &left_three, &menu_planet1, &menu_planet2, &logo})
        describe(out, *e);
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
