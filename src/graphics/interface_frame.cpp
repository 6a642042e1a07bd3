#include "graphics/interface_frame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

int CInterfaceFrame::w = 0;
int CInterfaceFrame::h = 0;

frame_mapping map_frame(int frame_width, int frame_height, int window_width, int window_height) {
    frame_mapping m;
    m.window_width = window_width;
    m.window_height = window_height;
    if (frame_width <= 0 || frame_height <= 0 || window_width <= 0 || window_height <= 0)
        return m;
    m.scale = std::min(static_cast<float>(window_width) / static_cast<float>(frame_width),
                       static_cast<float>(window_height) / static_cast<float>(frame_height));
    // Whole pixels, so that a frame at a whole scale lies on the pixel grid; the side that fits exactly
    // (up to rounding) has none.
    const auto margin = [&](int window, int frame) {
        return std::max(
            0.0f, std::floor((static_cast<float>(window) - static_cast<float>(frame) * m.scale) / 2 + 0.5f));
    };
    m.left = margin(window_width, frame_width);
    m.bottom = margin(window_height, frame_height);
    return m;
}

void frame_mapping::to_frame(float window_x, float window_y, float& x, float& y) const {
    x = (window_x - left) / scale;
    y = (static_cast<float>(window_height) - window_y - bottom) / scale;
}

void frame_mapping::to_window(float x, float y, float& window_x, float& window_y) const {
    window_x = left + x * scale;
    window_y = static_cast<float>(window_height) - (bottom + y * scale);
}

pixel_rect frame_mapping::to_window(const pixel_rect& r) const {
    // A scale such as 1080 / 600 is not exact in a float: an edge a hair off a whole pixel is on it.
    constexpr float HAIR = 1e-3f;
    const auto low = [&](float offset, int at) {
        return static_cast<int>(std::floor(offset + at * scale + HAIR));
    };
    const auto high = [&](float offset, int at) {
        return static_cast<int>(std::ceil(offset + at * scale - HAIR));
    };
    const int x0 = low(left, r.x), y0 = low(bottom, r.y);
    return {x0, y0, high(left, r.x + r.width) - x0, high(bottom, r.y + r.height) - y0};
}

frame_box frame_mapping::whole_window() const {
    return {-left / scale, -bottom / scale, static_cast<float>(window_width) / scale,
            static_cast<float>(window_height) / scale};
}

void CInterfaceFrame::set_size(int width, int height) {
    w = width;
    h = height;
}

int CInterfaceFrame::width() {
    return w > 0 ? w : CDisplay::width();
}

int CInterfaceFrame::height() {
    return h > 0 ? h : CDisplay::height();
}

frame_mapping CInterfaceFrame::mapping() {
    return map_frame(width(), height(), CDisplay::width(), CDisplay::height());
}

void CInterfaceFrame::pointer(float& x, float& y) {
    int window_x = 0;
    int window_y = 0;
    glfw2::get_mouse_pos(&window_x, &window_y);
    mapping().to_frame(static_cast<float>(window_x), static_cast<float>(window_y), x, y);
}

void CInterfaceFrame::project() {
    const frame_mapping m = mapping();
    const double s = m.scale;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-m.left / s, (m.window_width - m.left) / s, -m.bottom / s, (m.window_height - m.bottom) / s, 0,
            1);
}

void cover_window(float* col) {
    const frame_box b = CInterfaceFrame::mapping().whole_window();
    draw_box(b.x, b.y, b.width, b.height, col);
}
