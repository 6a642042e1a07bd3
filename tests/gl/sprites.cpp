#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "general/particle.h"
#include "gl_window.h"
#include "graphics/textures.h"
#include "scratch_folder.h"
#include "tga_writer.h"

namespace {

using colour = std::array<int, 4>;

colour cell_colour(int i) {
    return {40 + 15 * i, 230 - 15 * i, (i % 3) * 100, 255};
}

// Cells of 8 by 8 pixels; cell (column, row) with row 0 at the bottom of the picture as seen.
std::string write_grid(const std::string& dir, const std::string& name, int columns, int rows) {
    rgba_image img(columns * 8, rows * 8);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            int row_from_bottom = rows - 1 - y / 8;
            colour c = cell_colour(row_from_bottom * columns + x / 8);
            uint8_t* px = img.at(x, y);
            for (int k = 0; k < 4; ++k)
                px[k] = static_cast<uint8_t>(c[k]);
        }
    std::string path = dir + "/" + name + ".tga";
    write_file(path, encode_tga(img));
    return path;
}

class Sprites : public ::testing::Test {
  protected:
    size_t before = 0;
    float white[4] = {1, 1, 1, 1};

    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        static bool loaded = false;
        if (!loaded) {
            loaded = true;
            std::string dir = scratch_dir("sprites");
            load_texture(write_grid(dir, "strip", 13, 1), "sprite_strip");
            load_texture(write_grid(dir, "grid", 4, 2), "sprite_grid");
            // Quadrants: cells 0 and 1 along the bottom, 2 and 3 along the top.
            load_texture(write_grid(dir, "quads", 2, 2), "sprite_quads");
            rgba_image plain(4, 4);
            for (auto& v : plain.pixels)
                v = 255;
            write_file(dir + "/white.tga", encode_tga(plain));
            load_texture(dir + "/white.tga", "sprite_white");
        }
        before = particles.size();
        gl_window::begin_pixel_frame();
    }
    void TearDown() override {
        while (particles.size() > before) {
            delete particles.back();
            particles.pop_back();
        }
    }

    // An 80 by 80 pixel sprite centred at (160, 120).
    CParticle* sprite(const char* texture, float* col = nullptr, int blend = ALPHA) {
        CParticle* p = new CParticle(160, 120, 40);
        p->set_gfx(set_texture(texture), col != nullptr ? col : white, blend);
        return p;
    }

    static void expect_pixel(int x, int y, colour expected, int tolerance = 8) {
        colour got = gl_window::pixel(x, y);
        EXPECT_TRUE(near_colour(got, expected, tolerance))
            << "at (" << x << ", " << y << ") got " << describe(got) << ", expected " << describe(expected);
    }
};

TEST_F(Sprites, StillPictureStandsUprightAndTurnsWithItsAngle) {
    CParticle* p = sprite("sprite_quads");
    p->display(-0.5f);
    expect_pixel(140, 100, cell_colour(0));
    expect_pixel(180, 100, cell_colour(1));
    expect_pixel(140, 140, cell_colour(2));
    expect_pixel(180, 140, cell_colour(3));
    expect_pixel(205, 120, {0, 0, 0, 255});
    expect_pixel(160, 165, {0, 0, 0, 255});

    gl_window::begin_pixel_frame();
    p->ang_pos = 3.1415f;  // 180 degrees
    p->display(-0.5f);
    expect_pixel(180, 140, cell_colour(0));
    expect_pixel(140, 100, cell_colour(3));

    gl_window::begin_pixel_frame();
    p->ang_pos = 3.1415f / 2;  // a quarter turn counter-clockwise: the bottom-right cell goes top-right
    p->display(-0.5f);
    expect_pixel(180, 140, cell_colour(1));
    expect_pixel(140, 140, cell_colour(3));
}

TEST_F(Sprites, ExplosionStripShowsOneCellPerSevenSteps) {
    CParticle* p = sprite("sprite_strip");
    p->set_anim(1, 13, 7);
    struct {
        int counter;
        int cell;
    } cases[] = {{0, 0}, {6, 0}, {7, 1}, {50, 7}, {84, 12}, {91, 0}};
    for (auto c : cases) {
        gl_window::begin_pixel_frame();
        p->counter = c.counter;
        p->display(-0.5f);
        SCOPED_TRACE("counter " + std::to_string(c.counter));
        // The whole quad shows the one cell.
        expect_pixel(160, 120, cell_colour(c.cell));
        expect_pixel(135, 100, cell_colour(c.cell));
        expect_pixel(185, 140, cell_colour(c.cell));
    }
}

TEST_F(Sprites, GridFramesRunAlongARowThenUp) {
    CParticle* p = sprite("sprite_grid");
    p->set_anim(2, 4, 1);
    for (int frame : {0, 2, 3, 4, 5, 7}) {
        gl_window::begin_pixel_frame();
        p->counter = frame;
        p->display(-0.5f);
        SCOPED_TRACE("frame " + std::to_string(frame));
        expect_pixel(160, 120, cell_colour(frame));
        expect_pixel(140, 100, cell_colour(frame));
    }
}

TEST_F(Sprites, AdditiveAndAlphaBlending) {
    float grey[4] = {0.4f, 0.4f, 0.4f, 1};
    float light[4] = {0.2f, 0.3f, 0.0f, 1};
    float half_red[4] = {1, 0, 0, 0.5f};
    CParticle* base = sprite("sprite_white", grey);
    base->display(-0.5f);
    expect_pixel(160, 120, {102, 102, 102, 255});

    sprite("sprite_white", light, ADD)->display(-0.5f);
    expect_pixel(160, 120, {153, 178, 102, 255});

    gl_window::begin_pixel_frame();
    base->display(-0.5f);
    sprite("sprite_white", half_red, ALPHA)->display(-0.5f);
    expect_pixel(160, 120, {178, 51, 51, 255});

    // An additive sprite on black shows its own colour; the blend function stays set afterwards.
    gl_window::begin_pixel_frame();
    sprite("sprite_white", light, ADD)->display(-0.5f);
    expect_pixel(160, 120, {51, 76, 0, 255});
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
}

TEST_F(Sprites, WithoutATextureNothingIsDrawnButColourAndBlendAreSet) {
    float col[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    CParticle* p = new CParticle(160, 120, 40);
    p->set_gfx(-1, col, ADD);
    p->display(-0.5f);
    expect_pixel(160, 120, {0, 0, 0, 255}, 0);
    GLfloat current[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, current);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(current[i], col[i], 1e-3) << i;
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);

    p->gfx.blend = ALPHA;
    p->display(-0.5f);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);

    // Any other blend value leaves the function as it was; the unbound no-texture name is left bound.
    p->gfx.blend = 7;
    p->gfx.texture = set_texture("sprite_white");
    p->display(-0.5f);
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), 0xFFFFFFFFu);
}

TEST_F(Sprites, ParticleWithoutCornersDrawsNothing) {
    // A texture set by hand without set_gfx leaves no quad to draw; it must not read past the corners.
    CParticle* p = new CParticle(160, 120, 40);
    p->gfx.texture = set_texture("sprite_white");
    p->display(-0.5f);
    expect_pixel(160, 120, {0, 0, 0, 255}, 0);
}

}  // namespace
