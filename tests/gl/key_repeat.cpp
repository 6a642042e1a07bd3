// Real X input through the windowing layer: a held key is one press and one release, the wheel counts
// notches, buttons and the pointer position arrive as the game reads them.
// gtest before Xlib, whose macros (None, Bool, ...) clash with it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
// clang-format on

#include <chrono>
#include <thread>
#include <vector>

#include "gl_window.h"
#include "platform/glfw2.h"
#include "x_session.h"

namespace {

struct event {
    int code;
    int action;
};
std::vector<event> keys, chars, buttons;

void on_key(int key, int action) {
    keys.push_back({key, action});
}
void on_char(int c, int action) {
    chars.push_back({c, action});
}
void on_button(int b, int action) {
    buttons.push_back({b, action});
}

class XInput : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        display = x_session::display();
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(x_session::has_xtest());
        glfw2::swap_buffers();
        window = x_session::find_window(display, "test");  // the title gl_window gives it
        ASSERT_NE(window, 0u);
        // Watch the raw events too, to know the server really sent what GLFW had to filter.
        XSelectInput(display, window, KeyPressMask | KeyReleaseMask);
        XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
        x_session::point(window, 10, 20);
        pump([] { return false; }, 20);
        keys.clear();
        chars.clear();
        buttons.clear();
        glfw2::set_key_callback(on_key);
        glfw2::set_char_callback(on_char);
        glfw2::set_mouse_button_callback(on_button);
    }
    void TearDown() override {
        glfw2::set_key_callback(nullptr);
        glfw2::set_char_callback(nullptr);
        glfw2::set_mouse_button_callback(nullptr);
        glfw2::set_mouse_wheel(0);
    }

    // Lets the layer process events until done() or the bound of rounds runs out; waits only for the
    // X server to deliver, it times nothing.
    template <typename F>
    void pump(F done, int rounds = 400) {
        for (int i = 0; i < rounds && !done(); ++i) {
            glfw2::swap_buffers();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int raw_presses() {
        int n = 0;
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == KeyPress)
                ++n;
        }
        return n;
    }

    Display* display = nullptr;
    Window window = 0;
};

TEST_F(XInput, HeldKeyIsOnePressAndOneRelease) {
    // The server's own auto-repeat, fast, so that holding the key briefly repeats it many times.
    unsigned delay = 0, interval = 0;
    ASSERT_TRUE(XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval));
    XAutoRepeatOn(display);
    XkbSetAutoRepeatRate(display, XkbUseCoreKbd, 10, 5);
    x_session::key("a", true);
    int seen = 0;
    pump([&] { return (seen += raw_presses()) >= 4; });
    EXPECT_EQ(glfw2::get_key('A'), glfw2::PRESS);
    x_session::key("a", false);
    XkbSetAutoRepeatRate(display, XkbUseCoreKbd, delay, interval);
    XSync(display, False);
    pump([] { return keys.size() >= 2 && keys.back().action == glfw2::RELEASE; });
    pump([] { return false; }, 10);

    ASSERT_GE(seen, 4) << "the server did not repeat the key, so nothing was tested";
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].code, 'A');
    EXPECT_EQ(keys[0].action, glfw2::PRESS);
    EXPECT_EQ(keys[1].code, 'A');
    EXPECT_EQ(keys[1].action, glfw2::RELEASE);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].code, 'a');
    EXPECT_EQ(glfw2::get_key('A'), glfw2::RELEASE);
}

TEST_F(XInput, SpecialKeysArriveInTheGlfw2Numbering) {
    const char* syms[] = {"Escape", "KP_4", "Up", "F1"};
    const int codes[] = {glfw2::KEY_ESC, glfw2::KEY_KP_0 + 4, glfw2::KEY_UP, glfw2::KEY_F1};
    for (const char* s : syms) {
        x_session::key(s, true);
        x_session::key(s, false);
    }
    pump([] { return keys.size() >= 8; });
    ASSERT_EQ(keys.size(), 8u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(keys[2 * i].code, codes[i]);
        EXPECT_EQ(keys[2 * i].action, glfw2::PRESS);
        EXPECT_EQ(keys[2 * i + 1].action, glfw2::RELEASE);
    }
}

TEST_F(XInput, WheelCountsNotchesFromWhereItWasSet) {
    glfw2::set_mouse_wheel(3);
    x_session::button(4, true);  // one notch up
    x_session::button(4, false);
    pump([] { return glfw2::get_mouse_wheel() != 3; });
    EXPECT_EQ(glfw2::get_mouse_wheel(), 4);
    for (int i = 0; i < 3; ++i) {
        x_session::button(5, true);  // down
        x_session::button(5, false);
    }
    pump([] { return glfw2::get_mouse_wheel() == 1; });
    EXPECT_EQ(glfw2::get_mouse_wheel(), 1);
    // Wheel buttons are no mouse-button presses for the game.
    EXPECT_TRUE(buttons.empty());
}

TEST_F(XInput, ButtonsAndPointerPositionFromTheTopLeft) {
    x_session::point(window, 37, 52);
    x_session::button(1, true);
    x_session::button(1, false);
    x_session::button(3, true);
    pump([] { return buttons.size() >= 3; });
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].code, glfw2::MOUSE_BUTTON_LEFT);
    EXPECT_EQ(buttons[0].action, glfw2::PRESS);
    EXPECT_EQ(buttons[1].action, glfw2::RELEASE);
    EXPECT_EQ(buttons[2].code, glfw2::MOUSE_BUTTON_RIGHT);
    EXPECT_EQ(glfw2::get_mouse_button(glfw2::MOUSE_BUTTON_RIGHT), glfw2::PRESS);
    x_session::button(3, false);
    pump([] { return buttons.size() >= 4; });
    int x = -1, y = -1;
    glfw2::get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 37);
    EXPECT_EQ(y, 52);
}

}  // namespace
