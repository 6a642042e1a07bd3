#include "game/render/screen_inputs.h"

#include <GL/gl.h>

#include "game/render/hud_images.h"
#include "game/sim/global.h"
#include "graphics/display.h"
#include "graphics/picture_inputs.h"
#include "graphics/textures.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace {

void append_look_inputs(std::vector<float>& out, const window_graphics& g) {
    append_inputs(out, g.colour, 4);
    append_inputs(out, g.o_colour, 4);
    append_inputs(out, g.f_colour, 4);
    const float rest[] = {static_cast<float>(g.texture), static_cast<float>(g.font), g.font_size,
                          g.outline ? 1.0f : 0.0f};
    append_inputs(out, rest, 4);
}

}  // namespace

void append_image_inputs(std::vector<float>& out, const CInterfaceElem& e) {
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

void append_text_inputs(std::vector<float>& out, const std::string& text) {
    out.push_back(static_cast<float>(text.size()));
    for (char c : text)
        out.push_back(static_cast<float>(static_cast<unsigned char>(c)));
}

void append_menu_inputs(std::vector<float>& out, CWindow& menu) {
    const float place[] = {menu.x, menu.y, menu.h, menu.w, static_cast<float>(menu.check())};
    append_inputs(out, place, 5);
    append_text_inputs(out, menu.title);
    for (const window_graphics* g : {&menu.normal, &menu.hover, &menu.window, &menu.active})
        append_look_inputs(out, *g);
    for (const CButton* b : menu.buttons) {
        const float button[] = {b->x, b->y, b->h, b->w, b->active ? 1.0f : 0.0f, b->shown ? 1.0f : 0.0f};
        append_inputs(out, button, 6);
        append_text_inputs(out, b->title);
    }
}

void append_screen_inputs(std::vector<float>& out, bool with_clocks) {
    using namespace global;
    const float state[] = {static_cast<float>(game_state),
                           static_cast<float>(menu_state),
                           static_cast<float>(players),
                           static_cast<float>(CDisplay::width()),
                           static_cast<float>(CDisplay::height()),
                           static_cast<float>(texture_loads),
                           zooming ? 1.0f : 0.0f,
                           zoom_mul,
                           static_cast<float>(glfw2::get_mouse_wheel())};
    append_inputs(out, state, sizeof state / sizeof state[0]);
    append_inputs(out, camera, 3);
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    append_inputs(out, clear, 4);
    for (const CParticle* p : {&background, &clouds, &star, &shadow_1, &shadow_2, &planet1, &planet2})
        append_body_inputs(out, *p);
    for (const CInterfaceElem* e : {&hud_right, &left_one, &left_three, &menu_planet1, &menu_planet2, &logo})
        append_image_inputs(out, *e);
    // The noise panel by the frame it shows, not by its step counter.
    CInterfaceElem panel = noise, pulse = left_two;
    panel.counter = with_clocks ? noise_frame() : 0;
    if (!with_clocks)
        pulse.colour[3] = 0;
    append_image_inputs(out, panel);
    append_image_inputs(out, pulse);
}

int noise_frame() {
    const CInterfaceElem& n = global::noise;
    return n.anim_speed > 0 ? n.counter / n.anim_speed : 0;
}
