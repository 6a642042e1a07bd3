#include "x_pointer.h"

#include <cmath>

#include "graphics/interface_frame.h"
#include "platform/glfw2.h"
#include "x_session.h"

namespace {

int origin_x = 0;
int origin_y = 0;
bool located = false;

}  // namespace

bool x_pointer::ready() {
    if (located)
        return true;
    if (!x_session::display() || !x_session::has_xtest())
        return false;
    // Point at a known screen point and ask the windowing layer where that is in the window.
    x_session::point_on_screen(200, 200);
    int x = 0, y = 0;
    glfw2::get_mouse_pos(&x, &y);
    origin_x = 200 - x;
    origin_y = 200 - y;
    located = true;
    return true;
}

void x_pointer::move_top_left(int x, int y) {
    x_session::point_on_screen(origin_x + x, origin_y + y);
}

void x_pointer::move(int x, int y, int window_height) {
    move_top_left(x, window_height - y);
}

void x_pointer::move_to(float x, float y) {
    float window_x = 0, window_y = 0;
    CInterfaceFrame::mapping().to_window(x, y, window_x, window_y);
    move_top_left(static_cast<int>(std::lround(window_x)), static_cast<int>(std::lround(window_y)));
}
