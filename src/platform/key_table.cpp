#include <GLFW/glfw3.h>

#include "platform/glfw2.h"

namespace glfw2 {

namespace {

// Codes for keys the GLFW 2 numbering has no place for. They sit above its last key (KEY_MENU) so they
// never equal a real key's code, and never -1, which the options use for "no key bound".
constexpr int KEY_UNNAMED_UNKNOWN = 326;
constexpr int KEY_UNNAMED_PRINT_SCREEN = 327;

}  // namespace

int key_from_glfw3(int k) {
    // Printable keys share their numbers in both versions (GLFW 3's WORLD_1/2 at 161/162 included:
    // GLFW 2 reported non-US keys by their Latin-1 code, which names no key here either).
    if (k >= GLFW_KEY_SPACE && k <= GLFW_KEY_GRAVE_ACCENT)
        return k;
    if (k == GLFW_KEY_WORLD_1 || k == GLFW_KEY_WORLD_2)
        return k;
    if (k >= GLFW_KEY_F1 && k <= GLFW_KEY_F25)
        return KEY_F1 + (k - GLFW_KEY_F1);
    if (k >= GLFW_KEY_KP_0 && k <= GLFW_KEY_KP_9)
        return KEY_KP_0 + (k - GLFW_KEY_KP_0);
    switch (k) {
        case GLFW_KEY_ESCAPE:
            return KEY_ESC;
        case GLFW_KEY_ENTER:
            return KEY_ENTER;
        case GLFW_KEY_TAB:
            return KEY_TAB;
        case GLFW_KEY_BACKSPACE:
            return KEY_BACKSPACE;
        case GLFW_KEY_INSERT:
            return KEY_INSERT;
        case GLFW_KEY_DELETE:
            return KEY_DEL;
        case GLFW_KEY_RIGHT:
            return KEY_RIGHT;
        case GLFW_KEY_LEFT:
            return KEY_LEFT;
        case GLFW_KEY_DOWN:
            return KEY_DOWN;
        case GLFW_KEY_UP:
            return KEY_UP;
        case GLFW_KEY_PAGE_UP:
            return KEY_PAGEUP;
        case GLFW_KEY_PAGE_DOWN:
            return KEY_PAGEDOWN;
        case GLFW_KEY_HOME:
            return KEY_HOME;
        case GLFW_KEY_END:
            return KEY_END;
        case GLFW_KEY_CAPS_LOCK:
            return KEY_CAPS_LOCK;
        case GLFW_KEY_SCROLL_LOCK:
            return KEY_SCROLL_LOCK;
        case GLFW_KEY_NUM_LOCK:
            return KEY_KP_NUM_LOCK;
        case GLFW_KEY_PRINT_SCREEN:
            return KEY_UNNAMED_PRINT_SCREEN;
        case GLFW_KEY_PAUSE:
            return KEY_PAUSE;
        case GLFW_KEY_KP_DECIMAL:
            return KEY_KP_DECIMAL;
        case GLFW_KEY_KP_DIVIDE:
            return KEY_KP_DIVIDE;
        case GLFW_KEY_KP_MULTIPLY:
            return KEY_KP_MULTIPLY;
        case GLFW_KEY_KP_SUBTRACT:
            return KEY_KP_SUBTRACT;
        case GLFW_KEY_KP_ADD:
            return KEY_KP_ADD;
        case GLFW_KEY_KP_ENTER:
            return KEY_KP_ENTER;
        case GLFW_KEY_KP_EQUAL:
            return KEY_KP_EQUAL;
        case GLFW_KEY_LEFT_SHIFT:
            return KEY_LSHIFT;
        case GLFW_KEY_LEFT_CONTROL:
            return KEY_LCTRL;
        case GLFW_KEY_LEFT_ALT:
            return KEY_LALT;
        case GLFW_KEY_LEFT_SUPER:
            return KEY_LSUPER;
        case GLFW_KEY_RIGHT_SHIFT:
            return KEY_RSHIFT;
        case GLFW_KEY_RIGHT_CONTROL:
            return KEY_RCTRL;
        case GLFW_KEY_RIGHT_ALT:
            return KEY_RALT;
        case GLFW_KEY_RIGHT_SUPER:
            return KEY_RSUPER;
        case GLFW_KEY_MENU:
            return KEY_MENU;
        default:
            return KEY_UNNAMED_UNKNOWN;
    }
}

}  // namespace glfw2
