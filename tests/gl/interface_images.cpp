// Interface images: the frame chosen from the counter, the blend modes, and what is never drawn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "gl_window.h"
#include "graphics/draw.h"
#include "graphics/graphical.h"
#include "interface/interface_elem.h"

namespace {

using rgb = std::array<int, 4>;
const rgb BLACK{0, 0, 0, 255};
const rgb RED{255, 0, 0, 255};
const rgb GREEN{0, 255, 0, 255};
const rgb BLUE{0, 0, 255, 255};
const rgb WHITE{255, 255, 255, 255};

// A texture of solid blocks, given row by row from texture row 0 (t = 0, the bottom).
GLuint block_texture(int columns, const std::vector<rgb>& blocks) {
    const int rows = static_cast<int>(blocks.size()) / columns;
    const int block = 8;
    std::vector<unsigned char> texels(columns * block * rows * block * 4);
    for (int ty = 0; ty < rows * block; ++ty)
        for (int tx = 0; tx < columns * block; ++tx) {
            const rgb& c = blocks[(ty / block) * columns + tx / block];
            for (int i = 0; i < 4; ++i)
                texels[(ty * columns * block + tx) * 4 + i] = static_cast<unsigned char>(c[i]);
        }
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, columns * block, rows * block, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    bind_no_texture();
    return tex;
}

GLint bound_texture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

class InterfaceImages : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        gl_window::begin_pixel_frame();
        glEnable(GL_TEXTURE_2D);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

TEST_F(InterfaceImages, NoiseSheetShowsOneThirdPerTwentyFiveTicks) {
    const GLuint sheet = block_texture(3, {RED, GREEN, BLUE});
    CInterfaceElem noise(0, 0, 60, 30);
    noise.set_gfx(static_cast<int>(sheet), ALPHA);
    noise.set_anim(1, 3, 25);

    struct Case {
        int counter;
        rgb colour;
    };
    for (Case c :
         {Case{0, RED}, Case{24, RED}, Case{25, GREEN}, Case{49, GREEN}, Case{50, BLUE}, Case{74, BLUE}}) {
        SCOPED_TRACE("counter " + std::to_string(c.counter));
        gl_window::begin_pixel_frame();
        noise.counter = c.counter;
        noise.display(40, 20);
        // The one frame stretches over the whole 60x30 rectangle at (40, 20).
        for (auto [x, y] : {std::pair{40, 20}, std::pair{99, 49}, std::pair{70, 35}}) {
            const auto p = gl_window::pixel(x, y);
            EXPECT_TRUE(near_colour(p, c.colour)) << x << "," << y << " " << describe(p);
        }
        for (auto [x, y] : {std::pair{39, 35}, std::pair{100, 35}, std::pair{70, 19}, std::pair{70, 50}}) {
            const auto p = gl_window::pixel(x, y);
            EXPECT_TRUE(near_colour(p, BLACK)) << x << "," << y << " " << describe(p);
        }
        EXPECT_EQ(bound_texture(), static_cast<GLint>(NO_TEXTURE));
    }
}

TEST_F(InterfaceImages, FramesRunAlongRowZeroAtTheBottomFirst) {
    // Row 0 (t = 0..0.5): red, green; row 1 (t = 0.5..1): blue, white.
    const GLuint sheet = block_texture(2, {RED, GREEN, BLUE, WHITE});
    CInterfaceElem image(0, 0, 40, 40);
    image.set_gfx(static_cast<int>(sheet), ALPHA);
    image.set_anim(2, 2, 1);
    const rgb expected[4] = {RED, GREEN, BLUE, WHITE};
    for (int counter = 0; counter < 4; ++counter) {
        gl_window::begin_pixel_frame();
        image.counter = counter;
        image.display(10, 10);
        const auto p = gl_window::pixel(30, 30);
        EXPECT_TRUE(near_colour(p, expected[counter])) << "counter " << counter << " " << describe(p);
    }

    // A still image shows the whole texture upright: t = 0 at the bottom, s = 0 at the left.
    CInterfaceElem still(0, 0, 40, 40);
    still.set_gfx(static_cast<int>(sheet), ALPHA);
    gl_window::begin_pixel_frame();
    still.display(-1, 10);
    EXPECT_TRUE(near_colour(gl_window::pixel(0, 11), RED)) << describe(gl_window::pixel(0, 11));
    EXPECT_TRUE(near_colour(gl_window::pixel(38, 11), GREEN));
    EXPECT_TRUE(near_colour(gl_window::pixel(0, 48), BLUE));
    EXPECT_TRUE(near_colour(gl_window::pixel(38, 48), WHITE));
    EXPECT_TRUE(near_colour(gl_window::pixel(39, 30), BLACK)) << "position used unrounded";
}

TEST_F(InterfaceImages, BlendModesAndTheColourThatModulatesTheTexture) {
    const GLuint white = block_texture(1, {WHITE});
    auto paint_below = [&] {
        gl_window::begin_pixel_frame();
        glColor4f(0.4f, 0, 0, 1);
        glBegin(GL_QUADS);
        glVertex2f(0, 0);
        glVertex2f(200, 0);
        glVertex2f(200, 100);
        glVertex2f(0, 100);
        glEnd();
    };

    CInterfaceElem image(0, 0, 40, 40);
    image.colour[0] = 1;  // set_gfx forgets any earlier colour
    image.colour[3] = 1;
    image.set_gfx(static_cast<int>(white), ALPHA);
    image.colour[0] = 0;
    image.colour[1] = 1;
    image.colour[2] = 0;
    image.colour[3] = 0.5f;

    // Alpha: half green over dull red.
    paint_below();
    image.display(20, 20);
    EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), {51, 128, 0, 255}))
        << describe(gl_window::pixel(40, 40));

    // Additive: the colour (alpha ignored) adds to what is below, and stays the blend function.
    image.colour[3] = 1;
    image.blend = ADD;
    paint_below();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    image.display(20, 20);
    EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), {102, 255, 0, 255}))
        << describe(gl_window::pixel(40, 40));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);

    // Any other value keeps the function the previous drawing left: additive here, alpha there.
    image.blend = 2;
    image.colour[1] = 0.5f;
    image.colour[3] = 0.5f;
    paint_below();
    glBlendFunc(GL_ONE, GL_ONE);
    image.display(20, 20);
    EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), {102, 128, 0, 255}))
        << describe(gl_window::pixel(40, 40));
    paint_below();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    image.display(20, 20);
    EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), {51, 64, 0, 255}))
        << describe(gl_window::pixel(40, 40));
}

TEST_F(InterfaceImages, ImagesWithoutAPictureOrAFrameDrawNothing) {
    const GLuint white = block_texture(1, {WHITE});
    // A fresh image, even with an opaque colour, is not a plain box.
    CInterfaceElem fresh(0, 0, 40, 40);
    fresh.colour[0] = fresh.colour[1] = fresh.colour[2] = fresh.colour[3] = 1;
    fresh.display(20, 20);
    EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), BLACK));
    EXPECT_EQ(bound_texture(), static_cast<GLint>(NO_TEXTURE));

    // An animation mode other than 0 and 1, or a sheet without a positive grid or speed.
    CInterfaceElem odd(0, 0, 40, 40);
    odd.set_gfx(static_cast<int>(white), ALPHA);
    odd.animation = 2;
    odd.display(20, 20);
    EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), BLACK));
    for (auto [v, h, s] :
         {std::array{1, 3, 0}, std::array{1, 0, 25}, std::array{0, 3, 25}, std::array{1, 3, -5}}) {
        CInterfaceElem sheet(0, 0, 40, 40);
        sheet.set_gfx(static_cast<int>(white), ALPHA);
        sheet.set_anim(v, h, s);
        sheet.counter = 30;
        sheet.display(20, 20);
        EXPECT_TRUE(near_colour(gl_window::pixel(40, 40), BLACK)) << v << " " << h << " " << s;
        EXPECT_EQ(bound_texture(), static_cast<GLint>(NO_TEXTURE));
    }
}

TEST(InterfaceElemFields, ConstructionZeroesWhatItDoesNotSetEvenOnDirtyHeapMemory) {
    alignas(CInterfaceElem) unsigned char storage[sizeof(CInterfaceElem)];
    std::memset(storage, 0xAB, sizeof storage);
    CInterfaceElem* e = new (storage) CInterfaceElem(1, 2, 3, 4);
    EXPECT_EQ(e->x, 1);
    EXPECT_EQ(e->y, 2);
    EXPECT_EQ(e->w, 3);
    EXPECT_EQ(e->h, 4);
    EXPECT_EQ(e->texture, -1);
    EXPECT_EQ(e->animation, 0);
    for (float c : e->colour)
        EXPECT_EQ(c, 0);
    EXPECT_EQ(e->frames_h, 0);
    EXPECT_EQ(e->frames_v, 0);
    EXPECT_EQ(e->anim_speed, 0);
    EXPECT_EQ(e->blend, 0);
    EXPECT_EQ(e->counter, 0);

    // Rows first, then columns, then speed.
    e->set_anim(1, 3, 25);
    EXPECT_EQ(e->frames_v, 1);
    EXPECT_EQ(e->frames_h, 3);
    EXPECT_EQ(e->anim_speed, 25);
    EXPECT_EQ(e->animation, 1);
    e->~CInterfaceElem();
}

}  // namespace
