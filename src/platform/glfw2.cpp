#include "platform/glfw2.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/glfw2_target.h"
#include "platform/picture.h"

namespace glfw2 {

namespace {

GLFWwindow* window = nullptr;
bool initialised = false;
bool no_resize = false;

key_fun key_callback = nullptr;
mouse_button_fun button_callback = nullptr;
char_fun character_callback = nullptr;

// A held key repeats as GLFW_REPEAT key events followed by characters; GLFW 2 delivered neither.
bool key_repeating = false;

int wheel = 0;
// Times the window system asked for the window's content again.
unsigned long refreshes = 0;
double wheel_fraction = 0.0;

// The window's size in screen coordinates and in pixels, kept up to date by GLFW's callbacks: asking the
// X server costs a round trip, and the pointer is placed several times a frame.
int window_width = 0, window_height = 0;
int pixels_width = 0, pixels_height = 0;
bool resized_by_target = false;  // since the display last followed the window

void on_window_size(GLFWwindow*, int width, int height) {
    window_width = width;
    window_height = height;
}

void on_framebuffer_size(GLFWwindow*, int width, int height) {
    pixels_width = width;
    pixels_height = height;
}

double (*clock_now)() = nullptr;
double clock_base = 0.0;

double now() {
    return clock_now ? clock_now() : target::clock();
}

// GLFW says why a call failed (no X display, the connection refused, no matching visual...) only
// through this callback; the game itself reports just that a step failed.
void on_error(int code, const char* description) {
    std::fprintf(stderr, "Windowing: %s (GLFW error 0x%x)\n", description ? description : "unknown error",
                 code);
}

void on_key(GLFWwindow*, int key, int, int action, int) {
    if (action == GLFW_REPEAT) {
        key_repeating = true;
        return;
    }
    key_repeating = false;
    if (key_callback)
        key_callback(key_from_glfw3(key), action == GLFW_PRESS ? PRESS : RELEASE);
}

void on_char(GLFWwindow*, unsigned int codepoint) {
    if (key_repeating)
        return;
    if (character_callback)
        character_callback(static_cast<int>(codepoint), PRESS);
}

void on_mouse_button(GLFWwindow*, int button, int action, int) {
    if (button_callback)
        button_callback(button, action == GLFW_PRESS ? PRESS : RELEASE);
}

void on_refresh(GLFWwindow*) {
    ++refreshes;
}

// A window whose size the target sets (a browser's canvas, sized by its page) is given it between frames;
// everything drawn is then drawn again.
void take_wanted_size() {
    int width = 0, height = 0;
    if (!target::size_wanted(width, height) || (width == pixels_width && height == pixels_height))
        return;
    target::resize(window, width, height);
    window_width = pixels_width = width;
    window_height = pixels_height = height;
    resized_by_target = true;
    ++refreshes;
}

void on_wheel(double notches) {
    // Trackpads scroll in fractions of a notch: count a notch once the fractions add up to one.
    wheel_fraction += notches;
    double whole = std::trunc(wheel_fraction);
    wheel += static_cast<int>(whole);
    wheel_fraction -= whole;
}

// GLFW 3 polls by its own key numbers: find the key that translates to the code asked for.
int glfw3_key_of(int code) {
    for (int k = GLFW_KEY_SPACE; k <= GLFW_KEY_LAST; ++k)
        if (key_from_glfw3(k) == code && key_from_glfw3(k) != key_from_glfw3(GLFW_KEY_UNKNOWN))
            return k;
    return GLFW_KEY_UNKNOWN;
}

// A one-channel picture as white, its grey the alpha.
picture white_with_alpha(const picture& grey) {
    picture out;
    out.width = grey.width;
    out.height = grey.height;
    out.channels = 4;
    out.pixels.assign(grey.pixels.size() * 4, 255);
    for (size_t i = 0; i < grey.pixels.size(); ++i)
        out.pixels[i * 4 + 3] = grey.pixels[i];
    return out;
}

// The next mipmap level: each pixel the mean of the (up to) 2x2 block above it.
picture half_size(const picture& p) {
    picture q;
    q.width = std::max(1, p.width / 2);
    q.height = std::max(1, p.height / 2);
    q.channels = p.channels;
    q.pixels.resize(static_cast<size_t>(q.width) * q.height * q.channels);
    const int c = p.channels;
    for (int y = 0; y < q.height; ++y) {
        const int y0 = std::min(2 * y, p.height - 1), y1 = std::min(2 * y + 1, p.height - 1);
        for (int x = 0; x < q.width; ++x) {
            const int x0 = std::min(2 * x, p.width - 1), x1 = std::min(2 * x + 1, p.width - 1);
            for (int k = 0; k < c; ++k) {
                auto at = [&](int xx, int yy) {
                    return static_cast<int>(p.pixels[(static_cast<size_t>(yy) * p.width + xx) * c + k]);
                };
                const int sum = at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1);
                q.pixels[(static_cast<size_t>(y) * q.width + x) * c + k] =
                    static_cast<unsigned char>((sum + 2) / 4);
            }
        }
    }
    return q;
}

}  // namespace

int init() {
    glfwSetErrorCallback(on_error);
    if (!initialised)
        initialised = glfwInit() == GLFW_TRUE;
    return initialised ? 1 : 0;
}

void terminate() {
    if (!initialised)
        return;
    glfwTerminate();
    window = nullptr;
    initialised = false;
    key_repeating = false;
}

void open_window_hint(int target, int hint) {
    if (target == WINDOW_NO_RESIZE)
        no_resize = hint != 0;
}

int open_window(int width, int height, int red_bits, int green_bits, int blue_bits, int alpha_bits,
                int depth_bits, int stencil_bits, int mode) {
    // A failed init has been reported by on_error.
    if (!initialised)
        return 0;
    if (window != nullptr) {
        std::fprintf(stderr, "Windowing: a window is already open\n");
        return 0;
    }
    if (mode != WINDOW && mode != FULLSCREEN) {
        std::fprintf(stderr, "Windowing: unknown window mode 0x%x\n", mode);
        return 0;
    }
    // GLFW 2 opened 640x480 when given no size.
    if (width <= 0 || height <= 0) {
        width = 640;
        height = 480;
    }
    // X sizes are 16-bit and no GL driver renders this large: such a window would be cut to a
    // wrong size or end the program on an X protocol error at the first frame.
    if (width > MAX_WINDOW_SIDE || height > MAX_WINDOW_SIDE) {
        std::fprintf(stderr, "Windowing: a window of %d x %d pixels is larger than %d on a side\n", width,
                     height, MAX_WINDOW_SIDE);
        return 0;
    }
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, no_resize ? GLFW_FALSE : GLFW_TRUE);
    glfwWindowHint(GLFW_RED_BITS, red_bits);
    glfwWindowHint(GLFW_GREEN_BITS, green_bits);
    glfwWindowHint(GLFW_BLUE_BITS, blue_bits);
    glfwWindowHint(GLFW_ALPHA_BITS, alpha_bits);
    glfwWindowHint(GLFW_DEPTH_BITS, depth_bits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencil_bits);
    // GLFW 3 picks the monitor's closest video mode for the size asked.
    GLFWmonitor* monitor = mode == FULLSCREEN ? glfwGetPrimaryMonitor() : nullptr;
    if (mode == FULLSCREEN && monitor == nullptr) {
        std::fprintf(stderr, "Windowing: no monitor for a fullscreen window\n");
        return 0;
    }
    // A refusal here has already been explained by on_error.
    window = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (window == nullptr)
        return 0;
    glfwMakeContextCurrent(window);
    glfwSetKeyCallback(window, on_key);
    glfwSetCharCallback(window, on_char);
    glfwSetMouseButtonCallback(window, on_mouse_button);
    target::watch_wheel(window, on_wheel);
    glfwGetWindowSize(window, &window_width, &window_height);
    glfwGetFramebufferSize(window, &pixels_width, &pixels_height);
    glfwSetWindowSizeCallback(window, on_window_size);
    glfwSetFramebufferSizeCallback(window, on_framebuffer_size);
    glfwSetWindowRefreshCallback(window, on_refresh);
    return 1;
}

void get_window_size(int* width, int* height) {
    int w = 0;
    int h = 0;
    if (window)
        glfwGetFramebufferSize(window, &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
}

bool take_new_window_size(int* width, int* height) {
    if (!window || !resized_by_target)
        return false;
    resized_by_target = false;
    *width = pixels_width;
    *height = pixels_height;
    return true;
}

void get_desktop_mode(int* width, int* height) {
    int w = 0;
    int h = 0;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode != nullptr) {
        w = mode->width;
        h = mode->height;
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
}

void set_window_title(const char* title) {
    if (window && title)
        glfwSetWindowTitle(window, title);
}

void enable(int token) {
    if (window && token == MOUSE_CURSOR)
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
}

void disable(int token) {
    if (window && token == MOUSE_CURSOR)
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
}

void swap_interval(int interval) {
    if (window)
        target::swap_interval(interval);
}

void swap_buffers() {
    if (!window)
        return;
    glfwSwapBuffers(window);
    glfwPollEvents();
    take_wanted_size();
}

void poll_events() {
    if (!window)
        return;
    glfwPollEvents();
    take_wanted_size();
}

unsigned long content_requests() {
    return refreshes;
}

int get_window_param(int param) {
    if (param == OPENED)
        return window != nullptr && !glfwWindowShouldClose(window) ? 1 : 0;
    if (param == ICONIFIED)
        return window != nullptr && target::hidden(window) ? 1 : 0;
    return 0;
}

double get_time() {
    return now() - clock_base;
}

void set_time(double time) {
    clock_base = now() - time;
}

void use_clock(double (*clock)()) {
    // The new clock is read as it stands until set_time moves it.
    clock_now = clock;
    clock_base = 0.0;
}

int get_key(int key) {
    if (!window)
        return RELEASE;
    int k = glfw3_key_of(key);
    if (k == GLFW_KEY_UNKNOWN)
        return RELEASE;
    return glfwGetKey(window, k) == GLFW_PRESS ? PRESS : RELEASE;
}

int get_mouse_button(int button) {
    if (!window || button < 0 || button > GLFW_MOUSE_BUTTON_LAST)
        return RELEASE;
    return glfwGetMouseButton(window, button) == GLFW_PRESS ? PRESS : RELEASE;
}

void get_mouse_pos(int* x, int* y) {
    double cx = 0.0;
    double cy = 0.0;
    if (window) {
        glfwGetCursorPos(window, &cx, &cy);
        // The cursor is in screen coordinates; the game works in framebuffer pixels.
        if (window_width > 0 && window_height > 0) {
            cx = cx * pixels_width / window_width;
            cy = cy * pixels_height / window_height;
        }
    }
    if (x)
        *x = static_cast<int>(std::floor(cx));
    if (y)
        *y = static_cast<int>(std::floor(cy));
}

int get_mouse_wheel() {
    return wheel;
}

void set_mouse_wheel(int position) {
    wheel = position;
    wheel_fraction = 0.0;
}

void set_key_callback(key_fun callback) {
    key_callback = callback;
}

void set_mouse_button_callback(mouse_button_fun callback) {
    button_callback = callback;
}

void set_char_callback(char_fun callback) {
    character_callback = callback;
}

int load_texture_2d(const char* path, int flags) {
    if (!window || path == nullptr)
        return 0;
    // The caller says that a picture failed; this says which file and why, for whoever installs the game.
    auto refuse = [path](const std::string& why) {
        std::fprintf(stderr, "Picture \"%s\" not loaded: %s\n", path, why.c_str());
        return 0;
    };
    picture pic;
    std::string why;
    if (!read_picture_file(path, pic, &why))
        return refuse(why);

    GLenum format = pic.channels == 4 ? GL_RGBA : pic.channels == 3 ? GL_RGB : GL_LUMINANCE;
    // An alpha map is a white picture with the grey as its alpha, so that it takes the tint it is drawn
    // with: a GL_ALPHA texture would on the desktop, but a browser's OpenGL tints one black.
    if (pic.channels == 1 && (flags & ALPHA_MAP_BIT)) {
        pic = white_with_alpha(pic);
        format = GL_RGBA;
    }

    GLint max_side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_side);
    if (pic.width > max_side || pic.height > max_side)
        return refuse("too large for this OpenGL, which takes at most " + std::to_string(max_side) +
                      " pixels on a side");

    // Earlier errors are not ours to report; clear them so the check below sees only this upload.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLint unpack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), pic.width, pic.height, 0, format,
                 GL_UNSIGNED_BYTE, pic.pixels.data());
    if (flags & BUILD_MIPMAPS_BIT) {
        int level = 0;
        while (pic.width > 1 || pic.height > 1) {
            pic = half_size(pic);
            ++level;
            glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(format), pic.width, pic.height, 0, format,
                         GL_UNSIGNED_BYTE, pic.pixels.data());
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        return refuse("OpenGL refused it (error " + std::to_string(error) + ")");
    return 1;
}

}  // namespace glfw2
