#include "x_session.h"

#include <fcntl.h>

#include <cstring>

#include "program_run.h"

// clang-format off
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
// clang-format on

namespace x_session {

Display* display() {
    static Display* d = [] {
        Display* opened = XOpenDisplay(nullptr);
        if (opened)
            fcntl(ConnectionNumber(opened), F_SETFD, FD_CLOEXEC);
        return opened;
    }();
    return d;
}

bool has_xtest() {
    int event, error, major, minor;
    return display() && XTestQueryExtension(display(), &event, &error, &major, &minor);
}

rgb capture::mean() const {
    if (pixels.empty())
        return {0, 0, 0};
    long r = 0, g = 0, b = 0;
    for (const rgb& p : pixels) {
        r += p.r;
        g += p.g;
        b += p.b;
    }
    const long n = static_cast<long>(pixels.size());
    return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)};
}

const char* unavailable() {
    if (display() == nullptr)
        return "no X display";
    return has_xtest() ? nullptr : "no XTest";
}

namespace {

Window find_under(Display* d, Window parent, const char* title) {
    Window root_return, parent_return, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(d, parent, &root_return, &parent_return, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(d, children[i], &name) && name) {
            if (std::strcmp(name, title) == 0)
                found = children[i];
            XFree(name);
        }
        if (!found)
            found = find_under(d, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

void to_root(Window w, int x, int y, int* rx, int* ry) {
    Window child;
    XTranslateCoordinates(display(), w, DefaultRootWindow(display()), x, y, rx, ry, &child);
}

}  // namespace

Window find_window(Display* d, const char* title) {
    return d ? find_under(d, DefaultRootWindow(d), title) : 0;
}

Window wait_window(const char* title, double seconds) {
    Window w = 0;
    wait_for([&] { return (w = find_window(display(), title)) != 0; }, seconds);
    return w;
}

bool wait_viewable(Window w, double seconds) {
    return wait_for(
        [&] {
            XWindowAttributes a;
            return XGetWindowAttributes(display(), w, &a) && a.map_state == IsViewable;
        },
        seconds);
}

void size(Window w, int* width, int* height) {
    XWindowAttributes a{};
    XGetWindowAttributes(display(), w, &a);
    *width = a.width;
    *height = a.height;
}

void point(Window w, int x, int y) {
    int rx = 0, ry = 0;
    to_root(w, x, y, &rx, &ry);
    point_on_screen(rx, ry);
}

void point_on_screen(int x, int y) {
    XTestFakeMotionEvent(display(), -1, x, y, CurrentTime);
    XSync(display(), False);
}

void click(Window w, int x, int y, double settle) {
    point(w, x, y);
    let_run(0.1);
    button(1, true);
    let_run(0.05);
    button(1, false);
    let_run(settle);
}

void key(const char* keysym, bool down) {
    const KeyCode code = XKeysymToKeycode(display(), XStringToKeysym(keysym));
    XTestFakeKeyEvent(display(), code, down ? True : False, CurrentTime);
    XSync(display(), False);
}

void button(int number, bool down) {
    XTestFakeButtonEvent(display(), static_cast<unsigned>(number), down ? True : False, CurrentTime);
    XSync(display(), False);
}

void close_window(Window w) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display(), "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display(), "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display(), w, False, NoEventMask, &e);
    XSync(display(), False);
}

capture grab(Window w, int x, int y, int width, int height) {
    capture c;
    int rx = 0, ry = 0;
    to_root(w, x, y, &rx, &ry);
    XImage* image = XGetImage(display(), DefaultRootWindow(display()), rx, ry, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return c;
    c.width = width;
    c.height = height;
    c.pixels.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            c.pixels[static_cast<size_t>(row) * width + col] = {static_cast<int>((p >> 16) & 0xff),
                                                                static_cast<int>((p >> 8) & 0xff),
                                                                static_cast<int>(p & 0xff)};
        }
    XDestroyImage(image);
    return c;
}

}  // namespace x_session
