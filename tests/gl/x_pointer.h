#pragma once

// Moves the real X pointer over the test window, so hit tests read it through the windowing layer
// exactly as the game does. Xlib is loaded at run time: the test targets do not link it.
#include <X11/Xlib.h>
#include <dlfcn.h>

#include "platform/glfw2.h"

namespace x_pointer {

struct xlib {
    Display* display = nullptr;
    Window root = 0;
    int (*warp)(Display*, Window, Window, int, int, unsigned, unsigned, int, int) = nullptr;
    int (*sync)(Display*, Bool) = nullptr;
    int origin_x = 0;
    int origin_y = 0;
};

inline xlib& lib() {
    static xlib x;
    return x;
}

inline void warp_root(int x, int y) {
    xlib& l = lib();
    l.warp(l.display, None, l.root, 0, 0, 0, 0, x, y);
    l.sync(l.display, False);
}

// Opens Xlib and finds where the window's top-left corner is on the screen; false without X.
inline bool ready() {
    xlib& l = lib();
    if (l.display)
        return true;
    void* so = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    if (!so)
        return false;
    auto open = reinterpret_cast<Display* (*)(const char*)>(dlsym(so, "XOpenDisplay"));
    l.warp = reinterpret_cast<decltype(l.warp)>(dlsym(so, "XWarpPointer"));
    l.sync = reinterpret_cast<decltype(l.sync)>(dlsym(so, "XSync"));
    if (!open || !l.warp || !l.sync)
        return false;
    l.display = open(nullptr);
    if (!l.display)
        return false;
    l.root = DefaultRootWindow(l.display);
    warp_root(200, 200);
    int mx = 0, my = 0;
    glfw2::get_mouse_pos(&mx, &my);
    l.origin_x = 200 - mx;
    l.origin_y = 200 - my;
    return true;
}

// Puts the pointer on window pixel (x, y) counted from the window's top-left corner.
inline void move_top_left(int x, int y) {
    warp_root(lib().origin_x + x, lib().origin_y + y);
}

// Puts the pointer on window pixel (x, y) in the drawing frame: origin lower left, y up.
inline void move(int x, int y, int window_height) {
    move_top_left(x, window_height - y);
}

}  // namespace x_pointer
