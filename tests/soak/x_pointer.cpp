#include "x_pointer.h"

#include <X11/Xlib.h>

#include "graphics/display.h"
#include "platform/glfw2.h"

namespace {

Display* dpy = nullptr;
Window root = 0;
int origin_x = 0;
int origin_y = 0;

void warp_root(int x, int y) {
    XWarpPointer(dpy, None, root, 0, 0, 0, 0, x, y);
    XSync(dpy, False);
}

}  // namespace

bool x_pointer::open() {
    if (dpy)
        return true;
    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return false;
    root = DefaultRootWindow(dpy);
    // Warp to a known screen point and ask the windowing layer where that is in the window.
    warp_root(300, 300);
    int x = 0, y = 0;
    glfw2::get_mouse_pos(&x, &y);
    origin_x = 300 - x;
    origin_y = 300 - y;
    return true;
}

void x_pointer::move_to(float x, float y) {
    warp_root(origin_x + static_cast<int>(x), origin_y + CDisplay::height() - static_cast<int>(y));
}
