// The window, colour arrays and the two screen primitives, drawn for real and read back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

namespace {

using rgba = std::array<int, 4>;

const rgba kBlack{0, 0, 0, 255};

class Primitives : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        gl_window::begin_pixel_frame();
    }
};

// A modelview matrix that is not the identity, to see it come back unchanged.
void load_marker_matrix() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3, 5, 0);
    glScalef(1, 1, 1);
}

std::array<float, 16> modelview() {
    std::array<float, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// Probes well inside the rectangle x0..x1, y0..y1 (window pixels) and just outside each edge.
void expect_covers_exactly(int x0, int y0, int x1, int y1, const rgba& inside) {
    const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
    for (auto [x, y] : {std::pair{x0, y0}, {x1 - 1, y0}, {x0, y1 - 1}, {x1 - 1, y1 - 1}, {mx, my}})
        EXPECT_TRUE(near_colour(gl_window::pixel(x, y), inside))
            << "inside at " << x << "," << y << ": " << describe(gl_window::pixel(x, y));
    for (auto [x, y] : {std::pair{x0 - 1, my}, {x1, my}, {mx, y0 - 1}, {mx, y1}})
        EXPECT_TRUE(near_colour(gl_window::pixel(x, y), kBlack))
            << "outside at " << x << "," << y << ": " << describe(gl_window::pixel(x, y));
}

TEST(Display, ColourArraysAreFreshAndComplete) {
    std::unique_ptr<float[]> a(color(0.2f, 0.4f, 0.6f));
    std::unique_ptr<float[]> b(color(0.2f, 0.4f, 0.6f));
    EXPECT_NE(a.get(), b.get());
    EXPECT_FLOAT_EQ(a[0], 0.2f);
    EXPECT_FLOAT_EQ(a[1], 0.4f);
    EXPECT_FLOAT_EQ(a[2], 0.6f);
    EXPECT_FLOAT_EQ(a[3], 1.0f);
    std::unique_ptr<float[]> c(color(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_FLOAT_EQ(c[3], 0.4f);
}

TEST(Display, WindowReportsTheSizeItReallyHas) {
    ASSERT_TRUE(gl_window::open());
    int w = 0, h = 0;
    glfw2::get_window_size(&w, &h);
    EXPECT_EQ(CDisplay::width(), w);
    EXPECT_EQ(CDisplay::height(), h);
    EXPECT_GT(w, 1);
    GLint viewport[4];
    glViewport(0, 0, w, h);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], w);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glfw2::get_window_param(glfw2::OPENED), 1);
}

TEST_F(Primitives, SetColorFormsSetTheCurrentColour) {
    float current[4];
    set_color(0.25f, 0.5f, 0.75f);
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_FLOAT_EQ(current[3], 1.0f);
    EXPECT_NEAR(current[1], 0.5f, 1e-6);
    set_color(0.25f, 0.5f, 0.75f, 0.125f);
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_NEAR(current[3], 0.125f, 1e-6);
    float col[4] = {1, 0, 0.5f, 0.5f};
    set_color(col);
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_NEAR(current[2], 0.5f, 1e-6);
    EXPECT_NEAR(current[3], 0.5f, 1e-6);
}

TEST_F(Primitives, BoxCoversExactlyItsRectangleAndRestoresTheMatrix) {
    float red[4] = {1, 0, 0, 1};
    draw_box(10, 20, 100, 50, red);
    expect_covers_exactly(10, 20, 110, 70, {255, 0, 0, 255});

    gl_window::begin_pixel_frame();
    load_marker_matrix();
    const auto before = modelview();
    float green[4] = {0, 1, 0, 1};
    draw_box(40, 60, 7, 9, green);  // drawn at 43, 65 under the marker matrix
    EXPECT_EQ(modelview(), before);
    expect_covers_exactly(43, 65, 50, 74, {0, 255, 0, 255});
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), NO_TEXTURE);
    glLoadIdentity();
}

TEST_F(Primitives, BoxBlendsWithItsAlpha) {
    float half_white[4] = {1, 1, 1, 0.5f};
    draw_box(100, 100, 20, 20, half_white);
    EXPECT_TRUE(near_colour(gl_window::pixel(110, 110), {128, 128, 128, 255}, 4))
        << describe(gl_window::pixel(110, 110));
}

TEST_F(Primitives, TexturedBoxShowsThePictureUprightAndTinted) {
    // A 2x2 texture: lower row red, green; upper row blue, white.
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    bind_no_texture();

    load_marker_matrix();
    const auto before = modelview();
    float white[4] = {1, 1, 1, 1};
    draw_tex(47, 35, 80, 60, white, static_cast<int>(tex));  // at 50..130, 40..100
    EXPECT_EQ(modelview(), before);
    glLoadIdentity();
    EXPECT_TRUE(near_colour(gl_window::pixel(60, 50), {255, 0, 0, 255}));
    EXPECT_TRUE(near_colour(gl_window::pixel(120, 50), {0, 255, 0, 255}));
    EXPECT_TRUE(near_colour(gl_window::pixel(60, 90), {0, 0, 255, 255}));
    EXPECT_TRUE(near_colour(gl_window::pixel(120, 90), {255, 255, 255, 255}));
    for (auto [x, y] : {std::pair{49, 70}, {130, 70}, {90, 39}, {90, 100}})
        EXPECT_TRUE(near_colour(gl_window::pixel(x, y), kBlack)) << "outside at " << x << "," << y;
    EXPECT_TRUE(near_colour(gl_window::pixel(50, 40), {255, 0, 0, 255}));
    EXPECT_TRUE(near_colour(gl_window::pixel(129, 99), {255, 255, 255, 255}));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), NO_TEXTURE);

    // The tint multiplies the picture.
    gl_window::begin_pixel_frame();
    float half_red[4] = {0.5f, 0, 0, 1};
    draw_tex(50, 40, 80, 60, half_red, static_cast<int>(tex));
    EXPECT_TRUE(near_colour(gl_window::pixel(120, 90), {128, 0, 0, 255}, 4))
        << describe(gl_window::pixel(120, 90));
    glDeleteTextures(1, &tex);
}

TEST_F(Primitives, TexturedBoxWithoutAPictureDrawsThePlainTint) {
    float cyan[4] = {0, 1, 1, 1};
    draw_tex(200, 150, 30, 40, cyan, -1);
    expect_covers_exactly(200, 150, 230, 190, {0, 255, 255, 255});
    GLuint unused = 0;
    glGenTextures(1, &unused);
    gl_window::begin_pixel_frame();
    draw_tex(200, 150, 30, 40, cyan, static_cast<int>(unused));
    expect_covers_exactly(200, 150, 230, 190, {0, 255, 255, 255});
    glDeleteTextures(1, &unused);
}

}  // namespace
