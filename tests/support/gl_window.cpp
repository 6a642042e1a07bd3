#include "gl_window.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>

#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

namespace {
bool window_is_open = false;
}

bool gl_window::open(int width, int height) {
    if (window_is_open)
        return true;
    if (std::getenv("DISPLAY") == nullptr)
        return false;
    init_gfx();
    CDisplay::set_dim(width, height);
    CDisplay::set_bg(0, 0, 0, 1);
    if (open_window("test", WINDOWED) != 0)
        return false;
    window_is_open = true;
    return true;
}

void gl_window::begin_pixel_frame() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, CDisplay::width(), CDisplay::height());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, CDisplay::width(), 0, CDisplay::height(), 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    bind_no_texture();
}

std::array<int, 4> gl_window::pixel(int x, int y) {
    glFinish();
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

bool near_colour(const std::array<int, 4>& actual, const std::array<int, 4>& expected, int tolerance) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(actual[i] - expected[i]) > tolerance)
            return false;
    return true;
}

std::string describe(const std::array<int, 4>& c) {
    return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ", " +
           std::to_string(c[3]) + ")";
}

double leaping_clock() {
    static double now = 0;
    now += 0.5;
    return now;
}
