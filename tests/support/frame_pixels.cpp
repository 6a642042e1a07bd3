#include "frame_pixels.h"

#include <GL/gl.h>

#include "framebuffer_image.h"
#include "game/app/main_loop.h"
#include "game/render/match_picture.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/render/still_screen.h"
#include "game/sim/global.h"
#include "graphics/backdrop.h"
#include "graphics/display.h"

frame_pixels game_frame(bool afresh) {
    if (afresh) {
        world_backdrop().invalidate();
        still_screen().invalidate();
        match_picture().invalidate();
        match_picture().enable(false);
    }
    draw_passes(world_render, gui_render, global::camera);
    glFinish();
    match_picture().enable(true);
    frame_pixels p;
    p.width = CDisplay::width();
    p.height = CDisplay::height();
    p.rgba.resize(static_cast<size_t>(p.width) * p.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, p.width, p.height, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    return p;
}

std::string differences(const frame_pixels& a, const frame_pixels& b) {
    if (a.width != b.width || a.height != b.height)
        return "sizes differ";
    long n = 0;
    size_t first = 0;
    for (size_t i = 0; i < a.rgba.size(); i += 4)
        if (a.rgba[i] != b.rgba[i] || a.rgba[i + 1] != b.rgba[i + 1] || a.rgba[i + 2] != b.rgba[i + 2] ||
            a.rgba[i + 3] != b.rgba[i + 3]) {
            if (n++ == 0)
                first = i / 4;
        }
    if (n == 0)
        return "";
    return std::to_string(n) + " pixels differ, the first at (" + std::to_string(first % a.width) + ", " +
           std::to_string(first / a.width) + ")";
}

rgba_image framebuffer_image() {
    return read_framebuffer_image(CDisplay::width(), CDisplay::height());
}
