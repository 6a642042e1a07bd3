#include <gtest/gtest.h>

#include <memory>

#include "gl_window.h"
#include "graphics/display.h"
#include "interface/window.h"
#include "x_pointer.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 600;

class Windows : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open(WIDTH, HEIGHT));
        ASSERT_EQ(CDisplay::height(), HEIGHT);
        ASSERT_TRUE(x_pointer::ready());
    }
    void TearDown() override {
        for (CButton* b : win.buttons)
            delete b;
    }
    // Index under the pointer placed at (x, y) in the drawing frame.
    int at(int x, int y) {
        x_pointer::move(x, y, HEIGHT);
        return win.check();
    }
    CWindow win{100, 50, 300, 200, "w"};
};

}  // namespace

TEST_F(Windows, MousePositionIsFlippedIntoTheDrawingFrame) {
    x_pointer::move_top_left(130, 20);
    int x = 0, y = 0;
    glfw2::get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 130);
    EXPECT_EQ(y, 20);
    // 20 pixels below the top of a 600-pixel window is 580 in the drawing frame.
    win.add_button(25, 529, 10, 1, "");
    EXPECT_EQ(at(130, 580), 0);
    EXPECT_EQ(at(130, 581), -1);
}

TEST_F(Windows, AllFourEdgesAreInclusive) {
    win.add_button(25, 500, 100, 30, "b");
    EXPECT_EQ(at(125, 550), 0);  // left and bottom
    EXPECT_EQ(at(225, 580), 0);  // right and top
    EXPECT_EQ(at(175, 565), 0);
    EXPECT_EQ(at(226, 580), -1);
    EXPECT_EQ(at(124, 550), -1);
    EXPECT_EQ(at(125, 549), -1);
    EXPECT_EQ(at(225, 581), -1);
}

TEST_F(Windows, EarlierButtonWinsWhereButtonsOverlapOrTouch) {
    win.add_button(0, 0, 100, 100, "first");
    win.add_button(50, 50, 100, 100, "second");
    win.add_button(150, 50, 50, 50, "touching");
    EXPECT_EQ(at(175, 125), 0);  // overlap
    EXPECT_EQ(at(120, 60), 0);
    EXPECT_EQ(at(225, 175), 1);  // second only
    EXPECT_EQ(at(250, 125), 1);  // shared edge of second and touching
    EXPECT_EQ(at(251, 125), 2);
}

TEST_F(Windows, ButtonsAreHitOutsideTheirWindowAndTheWindowItselfIsNot) {
    win.add_button(50, -25, 200, 50, "below");
    EXPECT_EQ(at(200, 30), 0);  // below the window's bottom edge
    EXPECT_EQ(at(150, 25), 0);
    EXPECT_EQ(at(200, 200), -1);  // inside the window, on no button
    EXPECT_EQ(at(110, 60), -1);
}

TEST_F(Windows, EmptyWindowHitsNothing) {
    EXPECT_EQ(at(200, 100), -1);
    EXPECT_EQ(at(100, 50), -1);
}

TEST_F(Windows, HitTestFollowsAMovedWindow) {
    win.add_button(0, 0, 50, 50, "b");
    EXPECT_EQ(at(120, 70), 0);
    win.x = 300;
    win.y = 400;
    EXPECT_EQ(at(120, 70), -1);
    EXPECT_EQ(at(320, 420), 0);
}

TEST(Construction, WidthComesBeforeHeightInTheArguments) {
    CWindow w(1, 2, 30, 40, "t");
    EXPECT_EQ(w.w, 30);
    EXPECT_EQ(w.h, 40);
    EXPECT_EQ(w.window.texture, -1);
    w.add_button(5, 6, 70, 80, "b");
    ASSERT_EQ(w.buttons.size(), 1u);
    EXPECT_EQ(w.buttons[0]->w, 70);
    EXPECT_EQ(w.buttons[0]->h, 80);
    EXPECT_EQ(w.buttons[0]->title, "b");
    delete w.buttons[0];
}

TEST(Looks, SetOperationsCopyTheColours) {
    CWindow w(0, 0, 10, 10, "");
    float* fill = new float[4]{0.1f, 0.2f, 0.3f, 0.4f};
    float* text = new float[4]{0.5f, 0.6f, 0.7f, 0.8f};
    float* line = new float[4]{0.9f, 1.0f, 0.0f, 0.25f};
    w.hover_gfx(7, fill, 3, text, 30, true, line);
    w.active_gfx(-1, line, 4, fill, 12, false, text);
    delete[] fill;
    delete[] text;
    delete[] line;
    EXPECT_FLOAT_EQ(w.hover.colour[3], 0.4f);
    EXPECT_FLOAT_EQ(w.hover.f_colour[0], 0.5f);
    EXPECT_FLOAT_EQ(w.hover.o_colour[1], 1.0f);
    EXPECT_EQ(w.hover.texture, 7);
    EXPECT_EQ(w.hover.font, 3);
    EXPECT_FLOAT_EQ(w.hover.font_size, 30);
    EXPECT_TRUE(w.hover.outline);
    EXPECT_FLOAT_EQ(w.active.colour[0], 0.9f);
    EXPECT_FLOAT_EQ(w.active.o_colour[2], 0.7f);
    EXPECT_EQ(w.active.font, 4);
    EXPECT_FALSE(w.active.outline);
    // The other sets are untouched.
    EXPECT_EQ(w.window.texture, -1);
    EXPECT_FALSE(w.normal.outline);
}
