#pragma once

// The windowing layer: the GLFW 2 calls the game uses, with GLFW 2 semantics and key numbering,
// built on GLFW 3. Only this layer includes the GLFW 3 header.
namespace glfw2 {

// The largest window side opened, in pixels: no monitor has more, and a window beyond it takes gigabytes
// when drawn in software.
constexpr int MAX_WINDOW_SIDE = 8192;

// Window modes of open_window.
constexpr int WINDOW = 0x10001;
constexpr int FULLSCREEN = 0x10002;

// get_window_param and open_window_hint targets.
constexpr int OPENED = 0x20001;
// Minimised, or hidden from view by the window manager: nothing drawn there can be seen.
constexpr int ICONIFIED = 0x20003;
constexpr int WINDOW_NO_RESIZE = 0x20012;

// enable / disable tokens.
constexpr int MOUSE_CURSOR = 0x30001;

constexpr int RELEASE = 0;
constexpr int PRESS = 1;

constexpr int MOUSE_BUTTON_LEFT = 0;
constexpr int MOUSE_BUTTON_RIGHT = 1;
constexpr int MOUSE_BUTTON_MIDDLE = 2;

// Key codes: printable keys are their upper-case character codes; special keys follow.
constexpr int KEY_UNKNOWN = -1;
constexpr int KEY_SPACE = 32;
constexpr int KEY_SPECIAL = 256;
constexpr int KEY_ESC = 257;
constexpr int KEY_F1 = 258;
constexpr int KEY_F25 = 282;
constexpr int KEY_UP = 283;
constexpr int KEY_DOWN = 284;
constexpr int KEY_LEFT = 285;
constexpr int KEY_RIGHT = 286;
constexpr int KEY_LSHIFT = 287;
constexpr int KEY_RSHIFT = 288;
constexpr int KEY_LCTRL = 289;
constexpr int KEY_RCTRL = 290;
constexpr int KEY_LALT = 291;
constexpr int KEY_RALT = 292;
constexpr int KEY_TAB = 293;
constexpr int KEY_ENTER = 294;
constexpr int KEY_BACKSPACE = 295;
constexpr int KEY_INSERT = 296;
constexpr int KEY_DEL = 297;
constexpr int KEY_PAGEUP = 298;
constexpr int KEY_PAGEDOWN = 299;
constexpr int KEY_HOME = 300;
constexpr int KEY_END = 301;
constexpr int KEY_KP_0 = 302;
constexpr int KEY_KP_9 = 311;
constexpr int KEY_KP_DIVIDE = 312;
constexpr int KEY_KP_MULTIPLY = 313;
constexpr int KEY_KP_SUBTRACT = 314;
constexpr int KEY_KP_ADD = 315;
constexpr int KEY_KP_DECIMAL = 316;
constexpr int KEY_KP_EQUAL = 317;
constexpr int KEY_KP_ENTER = 318;
constexpr int KEY_KP_NUM_LOCK = 319;
constexpr int KEY_CAPS_LOCK = 320;
constexpr int KEY_SCROLL_LOCK = 321;
constexpr int KEY_PAUSE = 322;
constexpr int KEY_LSUPER = 323;
constexpr int KEY_RSUPER = 324;
constexpr int KEY_MENU = 325;

// load_texture_2d flags.
constexpr int BUILD_MIPMAPS_BIT = 4;
constexpr int ALPHA_MAP_BIT = 8;

using key_fun = void (*)(int key, int action);
using mouse_button_fun = void (*)(int button, int action);
using char_fun = void (*)(int character, int action);

int init();
void terminate();

void open_window_hint(int target, int hint);
// Opens the one window; true on success. Bits per channel, depth and stencil are requests.
int open_window(int width, int height, int red_bits, int green_bits, int blue_bits, int alpha_bits,
                int depth_bits, int stencil_bits, int mode);
// The real size in pixels (the framebuffer size).
void get_window_size(int* width, int* height);
// True once after the window took a size the target gave it (a browser's canvas, sized by its page), with
// that size; a desktop window keeps the size it opened with and never does. Cheap enough for every frame.
bool take_new_window_size(int* width, int* height);
// The desktop's own size: the primary monitor's current video mode, in pixels; 0 x 0 without a monitor.
void get_desktop_mode(int* width, int* height);
void set_window_title(const char* title);
void enable(int token);
void disable(int token);
void swap_interval(int interval);
// Swaps and then processes pending events: the callbacks run inside this call.
void swap_buffers();
void poll_events();
int get_window_param(int param);
// Times the window system has asked for the window's content to be drawn again (uncovered, resized):
// a window that keeps its last frame must then draw it again.
unsigned long content_requests();

double get_time();
void set_time(double time);
// Replaces the clock (for tests); nullptr restores the real one. set_time works on either.
void use_clock(double (*now)());

int get_key(int key);
int get_mouse_button(int button);
void get_mouse_pos(int* x, int* y);
int get_mouse_wheel();
void set_mouse_wheel(int position);

void set_key_callback(key_fun callback);
void set_mouse_button_callback(mouse_button_fun callback);
void set_char_callback(char_fun callback);

// Whether the player chooses the window's size, fullscreen and frame rate in the game's options (the
// desktop), or the page around it does (a browser, which fits the canvas to its window and draws at its
// own frames).
bool window_size_offered();

// Whether drawing reaches the window: desktop OpenGL's feedback and selection passes leave it untouched; a
// browser's has neither.
bool rendering_to_window();

// Loads a TGA picture into the bound texture; true on success.
int load_texture_2d(const char* path, int flags);

// The GLFW 2 code of a GLFW 3 key; keys GLFW 2 had no code for get distinct codes that name no key.
int key_from_glfw3(int glfw3_key);

}  // namespace glfw2
