// Window and button looks drawn in a real window, probed pixel by pixel.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "gl_window.h"
#include "graphics/display.h"
#include "interface/window.h"
#include "x_pointer.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

using rgb = std::array<int, 4>;

GLuint make_texture(int w, int h, const unsigned char* texels) {
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0xFFFFFFFFu);
    return tex;
}

// A font whose every cell is solid white: each character shows as a block in the text colour.
int block_font() {
    static GLuint tex = 0;
    if (tex == 0) {
        static unsigned char white[16 * 16 * 4];
        for (unsigned char& c : white)
            c = 255;
        tex = make_texture(16, 16, white);
    }
    return static_cast<int>(tex);
}

float window_fill[4] = {0.0f, 0.0f, 1.0f, 1.0f};  // blue
float window_line[4] = {1.0f, 1.0f, 0.0f, 1.0f};  // yellow
float title_text[4] = {0.0f, 1.0f, 1.0f, 1.0f};   // cyan
float normal_fill[4] = {0.4f, 0.4f, 0.4f, 1.0f};  // grey
float normal_line[4] = {1.0f, 0.0f, 1.0f, 1.0f};  // magenta
float hover_fill[4] = {0.0f, 0.6f, 0.0f, 1.0f};   // green
float hover_line[4] = {1.0f, 1.0f, 1.0f, 1.0f};   // white
float active_fill[4] = {0.6f, 0.0f, 0.0f, 1.0f};  // red
float active_line[4] = {1.0f, 0.5f, 0.0f, 1.0f};  // orange
float button_text[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float clear[4] = {0.3f, 0.3f, 0.3f, 0.0f};

rgb expected(const float* c) {
    return {static_cast<int>(c[0] * 255 + 0.5f), static_cast<int>(c[1] * 255 + 0.5f),
            static_cast<int>(c[2] * 255 + 0.5f), 255};
}

const rgb BLACK = {0, 0, 0, 255};

class Widgets : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open(WIDTH, HEIGHT));
        ASSERT_TRUE(x_pointer::ready());
        // Park the pointer in the top-right corner, away from every button.
        x_pointer::move(WIDTH - 2, HEIGHT - 2, HEIGHT);
        const int font = block_font();
        win.set_gfx(-1, window_fill, font, title_text, 20, true, window_line);
        win.normal_gfx(-1, normal_fill, font, button_text, 10, true, normal_line);
        win.hover_gfx(-1, hover_fill, font, button_text, 10, true, hover_line);
        win.active_gfx(-1, active_fill, font, button_text, 10, true, active_line);
        // Buttons wide enough that a probe 10 pixels in misses their centred titles.
        win.add_button(20, 20, 120, 40, "");
        win.add_button(20, 100, 120, 40, "");
    }
    void TearDown() override {
        for (CButton* b : win.buttons)
            delete b;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    void draw() {
        gl_window::begin_pixel_frame();
        win.draw();
    }

    // Button i's fill (10 pixels in from its lower-left corner) and its left outline, screen pixels.
    rgb fill_of(int i) {
        const CButton* b = win.buttons[i];
        return gl_window::pixel(static_cast<int>(win.x + b->x) + 10, static_cast<int>(win.y + b->y) + 10);
    }
    rgb outline_of(int i) {
        const CButton* b = win.buttons[i];
        return gl_window::pixel(static_cast<int>(win.x + b->x), static_cast<int>(win.y + b->y + b->h / 2));
    }
    void point_at(int i) {
        const CButton* b = win.buttons[i];
        x_pointer::move(static_cast<int>(win.x + b->x + b->w / 2), static_cast<int>(win.y + b->y + b->h / 2),
                        HEIGHT);
    }

    CWindow win{100, 100, 300, 200, "T"};
};

void expect_look(const rgb& fill, const rgb& outline, const float* want_fill, const float* want_line) {
    EXPECT_TRUE(near_colour(fill, expected(want_fill), 4)) << describe(fill);
    EXPECT_TRUE(near_colour(outline, expected(want_line), 4)) << describe(outline);
}

}  // namespace

TEST_F(Widgets, WindowBodyOutlineAndButtonsAtRest) {
    draw();
    EXPECT_TRUE(near_colour(gl_window::pixel(250, 280), expected(window_fill)))
        << describe(gl_window::pixel(250, 280));
    // The 2-pixel outline straddles the edges.
    EXPECT_TRUE(near_colour(gl_window::pixel(100, 200), expected(window_line)));
    EXPECT_TRUE(near_colour(gl_window::pixel(99, 200), expected(window_line)));
    EXPECT_TRUE(near_colour(gl_window::pixel(400, 200), expected(window_line)));
    EXPECT_TRUE(near_colour(gl_window::pixel(250, 300), expected(window_line)));
    EXPECT_TRUE(near_colour(gl_window::pixel(97, 200), BLACK)) << describe(gl_window::pixel(97, 200));
    expect_look(fill_of(0), outline_of(0), normal_fill, normal_line);
    expect_look(fill_of(1), outline_of(1), normal_fill, normal_line);
}

TEST_F(Widgets, ButtonUnderThePointerTakesTheHoverLook) {
    point_at(1);
    draw();
    expect_look(fill_of(1), outline_of(1), hover_fill, hover_line);
    expect_look(fill_of(0), outline_of(0), normal_fill, normal_line);

    point_at(0);
    draw();
    expect_look(fill_of(0), outline_of(0), hover_fill, hover_line);
    expect_look(fill_of(1), outline_of(1), normal_fill, normal_line);
}

TEST_F(Widgets, FocusOutranksHover) {
    win.buttons[0]->active = true;
    point_at(0);
    draw();
    expect_look(fill_of(0), outline_of(0), active_fill, active_line);
    expect_look(fill_of(1), outline_of(1), normal_fill, normal_line);

    // With the pointer elsewhere, a focused button keeps its look and the other can hover.
    point_at(1);
    draw();
    expect_look(fill_of(0), outline_of(0), active_fill, active_line);
    expect_look(fill_of(1), outline_of(1), hover_fill, hover_line);
}

TEST_F(Widgets, OnlyTheFirstOfOverlappingButtonsHovers) {
    win.buttons[1]->y = 40;  // now overlaps button 0 between y 40 and 60 (window-relative)
    x_pointer::move(100 + 80, 100 + 50, HEIGHT);
    draw();
    // Button 1 is drawn after button 0, so its part above the overlap shows its own look.
    EXPECT_TRUE(near_colour(gl_window::pixel(130, 170), expected(normal_fill)))
        << describe(gl_window::pixel(130, 170));
    EXPECT_TRUE(near_colour(gl_window::pixel(130, 130), expected(hover_fill)))
        << describe(gl_window::pixel(130, 130));
}

TEST_F(Widgets, TransparentWindowShowsOnlyItsTitleAndButtons) {
    win.set_gfx(-1, clear, block_font(), title_text, 20, false, window_line);
    draw();
    EXPECT_TRUE(near_colour(gl_window::pixel(250, 250), BLACK)) << describe(gl_window::pixel(250, 250));
    EXPECT_TRUE(near_colour(gl_window::pixel(100, 200), BLACK)) << describe(gl_window::pixel(100, 200));
    EXPECT_TRUE(near_colour(gl_window::pixel(400, 299), BLACK));
    expect_look(fill_of(0), outline_of(0), normal_fill, normal_line);
    // One character 20 pixels square, 10 up and 10 in from the top-left corner (its glyph half
    // from x 10 to 20).
    EXPECT_TRUE(near_colour(gl_window::pixel(115, 315), expected(title_text)))
        << describe(gl_window::pixel(115, 315));
    EXPECT_TRUE(near_colour(gl_window::pixel(115, 308), BLACK)) << describe(gl_window::pixel(115, 308));
    EXPECT_TRUE(near_colour(gl_window::pixel(115, 331), BLACK)) << describe(gl_window::pixel(115, 331));
}

TEST_F(Widgets, TitleStandsTenPixelsAboveTheWindow) {
    win.x = 0;
    win.y = 0;
    win.h = 375;
    win.set_gfx(-1, clear, block_font(), title_text, 30, false, window_line);
    draw();
    EXPECT_TRUE(near_colour(gl_window::pixel(15, 386), expected(title_text)))
        << describe(gl_window::pixel(15, 386));
    EXPECT_TRUE(near_colour(gl_window::pixel(15, 383), BLACK)) << describe(gl_window::pixel(15, 383));
    EXPECT_TRUE(near_colour(gl_window::pixel(15, 413), expected(title_text)));
    EXPECT_TRUE(near_colour(gl_window::pixel(15, 416), BLACK));
}

TEST_F(Widgets, ButtonTitleIsCentredAndANewTitleShowsAtOnce) {
    draw();
    EXPECT_TRUE(near_colour(gl_window::pixel(180, 140), expected(normal_fill)));
    win.buttons[0]->title = "W";
    draw();
    // A 10-pixel character centred on the button at (180, 140).
    EXPECT_TRUE(near_colour(gl_window::pixel(180, 140), expected(button_text)))
        << describe(gl_window::pixel(180, 140));
    EXPECT_TRUE(near_colour(gl_window::pixel(180, 136), expected(button_text)));
    EXPECT_TRUE(near_colour(gl_window::pixel(180, 143), expected(button_text)));
    EXPECT_TRUE(near_colour(gl_window::pixel(180, 147), expected(normal_fill)));
    EXPECT_TRUE(near_colour(gl_window::pixel(190, 140), expected(normal_fill)));
}

TEST_F(Widgets, OutlineIsDrawnOnlyWhenAsked) {
    win.normal_gfx(-1, normal_fill, block_font(), button_text, 10, false, normal_line);
    draw();
    expect_look(fill_of(0), outline_of(0), normal_fill, normal_fill);
    EXPECT_TRUE(near_colour(gl_window::pixel(119, 140), expected(window_fill)))
        << describe(gl_window::pixel(119, 140));
}

TEST_F(Widgets, TexturedFillStandsUprightAndIsTinted) {
    // 2 x 2 texels, row 0 at the bottom: red, green / blue, white.
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const int tex = static_cast<int>(make_texture(2, 2, texels));
    float tint[4] = {1.0f, 1.0f, 0.5f, 1.0f};
    win.set_gfx(tex, tint, block_font(), title_text, 20, false, window_line);
    draw();
    EXPECT_TRUE(near_colour(gl_window::pixel(150, 250), {0, 0, 128, 255}, 4))
        << describe(gl_window::pixel(150, 250));
    EXPECT_TRUE(near_colour(gl_window::pixel(350, 250), {255, 255, 128, 255}, 4));
    // Lower right, away from the buttons.
    EXPECT_TRUE(near_colour(gl_window::pixel(350, 110), {0, 255, 0, 255}, 4))
        << describe(gl_window::pixel(350, 110));
    GLuint gl_tex = static_cast<GLuint>(tex);
    glDeleteTextures(1, &gl_tex);
}

TEST_F(Widgets, DrawingLeavesTheMatrixAndTextureAsFound) {
    GLint depth_before = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    win.buttons[1]->active = true;
    point_at(0);
    draw();
    GLint depth_after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    EXPECT_EQ(depth_after, depth_before);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_FLOAT_EQ(m[13], 0.0f);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), 0xFFFFFFFFu);
}
