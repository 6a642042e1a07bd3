// The interface's 1024 x 600 frame in a 640 x 480 window: drawn scaled by 0.625 with margins of 53
// pixels above and below, and a button hit where it is drawn, by the real pointer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/interface_frame.h"
#include "interface/window.h"
#include "x_pointer.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
const std::array<int, 4> BLACK = {0, 0, 0, 255};
const std::array<int, 4> RED = {255, 0, 0, 255};
const std::array<int, 4> GREY = {128, 128, 128, 255};

class InterfaceFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open(WIDTH, HEIGHT));
        ASSERT_EQ(CDisplay::height(), HEIGHT);
        CInterfaceFrame::set_size(1024, 600);
    }
    void TearDown() override {
        CInterfaceFrame::set_size(0, 0);
        for (CButton* b : menu.buttons)
            delete b;
    }
    CWindow menu{100, 50, 300, 200, ""};
};

}  // namespace

TEST_F(InterfaceFrame, DrawsFrameUnitsScaledAndCentredAndCoversTheMarginsWhenAsked) {
    gl_window::begin_pixel_frame();
    CInterfaceFrame::project();
    glMatrixMode(GL_MODELVIEW);
    float red[4] = {1, 0, 0, 1};
    float grey[4] = {128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1};
    draw_box(0, 0, 1024, 600, red);
    // The frame fills the width and 375 of the 480 rows, from row 53.
    EXPECT_TRUE(near_colour(gl_window::pixel(1, 54), RED)) << describe(gl_window::pixel(1, 54));
    EXPECT_TRUE(near_colour(gl_window::pixel(638, 426), RED));
    EXPECT_TRUE(near_colour(gl_window::pixel(320, 51), BLACK));
    EXPECT_TRUE(near_colour(gl_window::pixel(320, 429), BLACK));
    // A box in the frame's middle, 100 units a side, is 62.5 pixels a side about the window's middle.
    float black[4] = {0, 0, 0, 1};
    draw_box(462, 250, 100, 100, black);
    EXPECT_TRUE(near_colour(gl_window::pixel(320, 240), BLACK));
    EXPECT_TRUE(near_colour(gl_window::pixel(290, 212), BLACK));
    EXPECT_TRUE(near_colour(gl_window::pixel(285, 240), RED));
    EXPECT_TRUE(near_colour(gl_window::pixel(320, 275), RED));

    cover_window(grey);
    for (const auto& p : {std::pair{0, 0}, {639, 479}, {320, 20}, {320, 470}})
        EXPECT_TRUE(near_colour(gl_window::pixel(p.first, p.second), GREY)) << p.first << ", " << p.second;
}

TEST_F(InterfaceFrame, AButtonAnswersThePointerWhereItIsDrawn) {
    ASSERT_TRUE(x_pointer::ready());
    // Frame x 125..225, y 550..580: window x 78..141, 64.5..83.25 from the top.
    menu.add_button(25, 500, 100, 30, "b");
    x_pointer::move_top_left(110, 74);
    EXPECT_EQ(menu.check(), 0);
    x_pointer::move_top_left(110, 90);
    EXPECT_EQ(menu.check(), -1);
    x_pointer::move_top_left(150, 74);
    EXPECT_EQ(menu.check(), -1);
    x_pointer::move_to(175, 565);
    EXPECT_EQ(menu.check(), 0);
}
