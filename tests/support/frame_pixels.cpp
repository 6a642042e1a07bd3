#include "frame_pixels.h"

#include <GL/gl.h>

#include "game/global.h"
#include "game/main_loop.h"
#include "game/match_picture.h"
#include "game/render_hud.h"
#include "game/render_world.h"
#include "game/still_screen.h"
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

rgba_image window_image() {
    const int W = CDisplay::width(), H = CDisplay::height();
    std::vector<unsigned char> rows(static_cast<size_t>(W) * H * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    rgba_image image(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const unsigned char* src = &rows[(static_cast<size_t>(H - 1 - y) * W + x) * 4];
            uint8_t* dst = image.at(x, y);
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 255;
        }
    return image;
}
