// Fullscreen on a screen that offers no mode of the size asked: the window takes the closest mode and
// the display settings report the size it really got.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "needs.h"
#include "platform/glfw2.h"

namespace {

// An Xvfb started without -noreset restarts when its last client leaves, and refuses connections
// meanwhile: wait for it rather than fail.
bool init_when_ready() {
    for (int i = 0; i < 100; ++i) {
        if (glfw2::init())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Runs first: the process's one window is opened by the next test.
TEST(Fullscreen, UnknownModeFailsAndTerminates) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
    ASSERT_TRUE(init_when_ready());
    CDisplay::set_dim(320, 240);
    EXPECT_EQ(open_window("odd", 5), -1);
    EXPECT_EQ(glfw2::get_window_param(glfw2::OPENED), 0);
    EXPECT_EQ(CDisplay::width(), 320);
}

TEST(Fullscreen, OpensOnTheClosestModeAndReportsTheRealSize) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
    ASSERT_TRUE(init_when_ready());
    CDisplay::set_dim(1000, 500);
    CDisplay::set_bg(0, 0, 0, 1);
    ASSERT_EQ(open_window("full", FULLSCREEN), 0);
    int w = 0, h = 0;
    glfw2::get_window_size(&w, &h);
    EXPECT_EQ(CDisplay::width(), w);
    EXPECT_EQ(CDisplay::height(), h);
    // Xvfb's one screen mode is far from 1000x500; whatever was chosen, it is what we report.
    EXPECT_GE(w, 1000);
    EXPECT_GE(h, 500);
    EXPECT_EQ(glfw2::get_window_param(glfw2::OPENED), 1);

    // The reported size is really drawable: a box at the top-right corner lands there.
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, 0, h, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    bind_no_texture();
    float red[4] = {1, 0, 0, 1};
    draw_box(static_cast<float>(w - 10), static_cast<float>(h - 10), 10, 10, red);
    EXPECT_TRUE(near_colour(gl_window::pixel(w - 5, h - 5), {255, 0, 0, 255}));
    EXPECT_TRUE(near_colour(gl_window::pixel(w - 15, h - 5), {0, 0, 0, 255}));

    // A second window is refused; the one open stays.
    EXPECT_EQ(glfw2::open_window(100, 100, 8, 8, 8, 8, 0, 0, glfw2::WINDOW), 0);
    EXPECT_EQ(glfw2::get_window_param(glfw2::OPENED), 1);
    glfw2::terminate();
    EXPECT_EQ(glfw2::get_window_param(glfw2::OPENED), 0);
}

}  // namespace
