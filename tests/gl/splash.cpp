// The splash sequence on a fake clock: how many frames each phase draws, what a frame shows, the
// Escape skip (a real key held through XTest) and phases of length 0.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "gl_window.h"
#include "graphics/graphics.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "tga_writer.h"
#include "x_pointer.h"
#include "x_session.h"

namespace {

double fake_seconds = 0;
double tick = 0.25;
int readings = 0;
// What the frame under construction held when the splash read the clock (before the veil).
std::vector<std::array<int, 4>> inside_picture;
std::vector<std::array<int, 4>> beside_picture;

std::array<int, 4> read_pixel(GLenum buffer, int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(buffer);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    glReadBuffer(GL_BACK);
    return {p[0], p[1], p[2], p[3]};
}

double fake_clock() {
    ++readings;
    inside_picture.push_back(read_pixel(GL_BACK, 160, 120));
    beside_picture.push_back(read_pixel(GL_BACK, 105, 120));
    fake_seconds += tick;
    return fake_seconds;
}

float background[4] = {0.2f, 0.4f, 0.6f, 1};
float black[4] = {0, 0, 0, 1};
const std::array<int, 4> YELLOW = {255, 255, 0, 255};
const std::array<int, 4> BACKGROUND = {51, 102, 153, 255};

int splash_texture() {
    static int tex = -2;
    if (tex == -2) {
        rgba_image image(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                uint8_t* p = image.at(x, y);
                p[0] = 255;
                p[1] = 255;
                p[2] = 0;
                p[3] = 255;
            }
        const std::string path = scratch_dir("splash") + "/yellow.tga";
        write_file(path, encode_tga(image));
        load_texture(path, "yellow");
        tex = set_texture("yellow");
    }
    return tex;
}

// A 100 x 60 picture in the 320 x 240 window: x 110..210, y 90..150.
splash_arguments arguments(float in, float duration, float out) {
    return splash_arguments{splash_texture(), 100, 60, black, background, in, duration, out};
}

int run(splash_arguments args, double step) {
    fake_seconds = 0;
    tick = step;
    readings = 0;
    inside_picture.clear();
    beside_picture.clear();
    glfw2::use_clock(fake_clock);
    const int result = draw_splash(&args);
    glfw2::use_clock(nullptr);
    return result;
}

// The clock is read once by each phase's timer reset and once per frame.
int frames() {
    return readings - 3;
}

class Splash : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl_window::open()); }
};

TEST_F(Splash, EachPhaseEndsWithTheFirstFramePastItsLength) {
    // Readings 0.25, 0.5, 0.75, 1.0 keep a one-second phase going; 1.25 ends it.
    EXPECT_EQ(run(arguments(100, 100, 100), 0.25), 0);
    EXPECT_EQ(frames(), 15);
    EXPECT_EQ(run(arguments(100, 50, 200), 0.25), 0);
    EXPECT_EQ(frames(), 5 + 3 + 9);
}

TEST_F(Splash, PhasesOfLengthZeroDrawOneFrameEach) {
    EXPECT_EQ(run(arguments(0, 0, 0), 0.25), 0);
    EXPECT_EQ(frames(), 3);
    // The last frame of a fade out is fully veiled, also when it has no length.
    EXPECT_TRUE(near_colour(read_pixel(GL_BACK, 160, 120), {0, 0, 0, 255}))
        << describe(read_pixel(GL_BACK, 160, 120));
    // Nonsensical lengths behave as 0 rather than skipping a phase or never ending.
    EXPECT_EQ(run(arguments(-5, -1, -100), 0.25), 0);
    EXPECT_EQ(frames(), 3);
}

TEST_F(Splash, DrawsThePictureCentredOnTheBackground) {
    ASSERT_EQ(run(arguments(100, 100, 100), 0.25), 0);
    // Reading 0 is the first timer reset; every frame reads the clock after drawing the picture.
    ASSERT_GE(inside_picture.size(), 2u);
    for (size_t i = 1; i < 5; ++i) {
        EXPECT_TRUE(near_colour(inside_picture[i], YELLOW)) << i << ": " << describe(inside_picture[i]);
        EXPECT_TRUE(near_colour(beside_picture[i], BACKGROUND)) << i << ": " << describe(beside_picture[i]);
    }
}

TEST_F(Splash, NoArgumentsIsAFailureNotACrash) {
    EXPECT_EQ(draw_splash(nullptr), -1);
}

// Holds Escape down on the real keyboard while the splash runs.
class EscapeHeld {
  public:
    EscapeHeld() {
        // Without a window manager the key goes to the window under the pointer.
        held_ = x_pointer::ready();
        if (!held_)
            return;
        x_pointer::move_top_left(160, 120);
        x_session::key("Escape", true);
    }
    ~EscapeHeld() {
        if (held_)
            x_session::key("Escape", false);
        glfw2::poll_events();
    }
    bool held() const { return held_; }

  private:
    bool held_ = false;
};

TEST_F(Splash, EscapeEndsItAfterTheFirstFrame) {
    EscapeHeld escape;
    NEEDS(escape.held(), "a key press through XTest");
    // A clock this slow would keep the splash up for thousands of frames.
    EXPECT_EQ(run(arguments(100, 100, 100), 0.0001), 0);
    EXPECT_EQ(readings, 2);
    // Mesa under Xvfb keeps the last frame in the back buffer after the swap; the front one reads empty.
    // Barely into the fade in: almost fully veiled.
    auto shown = read_pixel(GL_BACK, 160, 120);
    EXPECT_LT(shown[0], 10) << describe(shown);

    // With no fade in, the first frame shows the picture unveiled.
    EXPECT_EQ(run(arguments(0, 100, 100), 0.0001), 0);
    EXPECT_EQ(readings, 2);
    shown = read_pixel(GL_BACK, 160, 120);
    EXPECT_TRUE(near_colour(shown, YELLOW)) << describe(shown);
}

}  // namespace
