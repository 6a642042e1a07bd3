#pragma once

// Real X input for tests that drive a window from outside: one shared connection, finding a window by
// title, XTest pointer, button and key events, the close a window manager sends, screen captures.
// Include it after GoogleTest and the game's headers: Xlib's macros (None, Bool, Status) clash with them.
#include <string>
#include <vector>
// clang-format off
#include <X11/Xlib.h>
// clang-format on

namespace x_session {

// One connection for the whole test program, not inherited by programs it starts: when the server's
// last client leaves it resets, and a connection opened during the reset is refused. Null without X.
Display* display();
bool has_xtest();
// Why real X input cannot be sent here ("no X display", "no XTest"), or null when it can.
const char* unavailable();

// The first window titled `title` anywhere under the root, or 0.
Window find_window(Display* d, const char* title);
// Waits for that window to appear; 0 if it does not in time.
Window wait_window(const char* title, double seconds = 20);
bool wait_viewable(Window w, double seconds = 20);
void size(Window w, int* width, int* height);

// Moves the real pointer to window pixel (x, y) from its top-left corner, or to screen pixel (x, y).
void point(Window w, int x, int y);
void point_on_screen(int x, int y);
// A left click at window pixel (x, y) from the top-left corner; `settle` lets the program react after.
void click(Window w, int x, int y, double settle);
// Presses or lets go of a key by its keysym name ("a", "Escape", "KP_4"), or of pointer button 1 to 5.
void key(const char* keysym, bool down);
void button(int number, bool down);
// The polite close a window manager sends when the user closes the window.
void close_window(Window w);

struct rgb {
    int r, g, b;
};
// A capture of part of a window, addressed from its top-left corner as X does; empty if it failed.
struct capture {
    int width = 0;
    int height = 0;
    std::vector<rgb> pixels;
    rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The average colour; black for an empty capture.
    rgb mean() const;
};
capture grab(Window w, int x, int y, int width, int height);

}  // namespace x_session
