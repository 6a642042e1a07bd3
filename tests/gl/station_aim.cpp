// The aim marker and the charge ring the world pass draws at a station.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "game/sim/global.h"
#include "gl_window.h"
#include "graphics/textures.h"
#include "scratch_folder.h"
#include "tga_writer.h"

using global::CStation;

namespace {

class StationAim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        load_pictures();
        static CParticle planet(0, 0, 3);
        static CStation blue(new CParticle(-9, -4, 0.4f), &planet);
        station = &blue;
    }
    // A white marker; the charge ring's 16 frames side by side, frame 1 red, frame 15 green, the rest blue.
    static void load_pictures() {
        static bool done = false;
        if (done)
            return;
        done = true;
        const std::string dir = scratch_dir("station_aim");
        rgba_image white(4, 4);
        for (auto& v : white.pixels)
            v = 255;
        write_file(dir + "/white.tga", encode_tga(white));
        load_texture(dir + "/white.tga", "red_cross");
        rgba_image ring(64, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 64; ++x) {
                const int frame = x / 4 + 1;
                std::uint8_t* px = ring.at(x, y);
                px[0] = frame == 1 ? 255 : 0;
                px[1] = frame == 15 ? 255 : 0;
                px[2] = frame != 1 && frame != 15 ? 255 : 0;
                px[3] = 255;
            }
        write_file(dir + "/ring.tga", encode_tga(ring));
        load_texture(dir + "/ring.tga", "blue_circle");
    }
    CStation* station = nullptr;
};

// The marker stands one unit from the body in the aim direction; the ring shows one frame of 16.
TEST_F(StationAim, MarkerAndChargeRing) {
    CStation* s = station;
    static float ring_col[4] = {1, 1, 1, 1};
    int cross = set_texture("red_cross");
    auto draw_at = [&](float loaded) {
        gl_window::begin_pixel_frame();
        glTranslatef(160, 160, 0);
        glScalef(100, 100, 1);
        s->particle->pos = CVector(0, 0);
        s->aim = 0;
        s->loaded = loaded;
        s->render_aim(cross, ring_col);
        glLoadIdentity();
    };
    draw_at(0.15f);
    EXPECT_TRUE(near_colour(gl_window::pixel(160, 60), {255, 255, 255, 255}, 8))
        << describe(gl_window::pixel(160, 60));
    EXPECT_TRUE(near_colour(gl_window::pixel(130, 60), {0, 0, 0, 255}))
        << describe(gl_window::pixel(130, 60));
    EXPECT_TRUE(near_colour(gl_window::pixel(160, 120), {0, 0, 0, 255}));

    draw_at(0.16f);
    EXPECT_TRUE(near_colour(gl_window::pixel(130, 60), {255, 0, 0, 255}, 8))
        << describe(gl_window::pixel(130, 60));
    // The ring is drawn over the marker.
    EXPECT_TRUE(near_colour(gl_window::pixel(160, 60), {255, 0, 0, 255}, 8));
    EXPECT_TRUE(near_colour(gl_window::pixel(115, 60), {0, 0, 0, 255}));

    draw_at(2.45f);
    EXPECT_TRUE(near_colour(gl_window::pixel(130, 60), {0, 255, 0, 255}, 8))
        << describe(gl_window::pixel(130, 60));

    s->aim = 3.1415926f / 2;
    gl_window::begin_pixel_frame();
    glTranslatef(160, 160, 0);
    glScalef(100, 100, 1);
    s->loaded = 0;
    s->render_aim(cross, ring_col);
    glLoadIdentity();
    // Aim a quarter turn counter-clockwise from straight down points right.
    EXPECT_TRUE(near_colour(gl_window::pixel(260, 160), {255, 255, 255, 255}, 8));
    EXPECT_TRUE(near_colour(gl_window::pixel(160, 60), {0, 0, 0, 255}));
}

}  // namespace
