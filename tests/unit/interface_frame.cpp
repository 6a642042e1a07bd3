// The interface's frame (1024 x 600) shown in windows of other sizes: scale, margins, the pointer mapped
// back into the frame, and frame rectangles mapped out to window pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/interface_frame.h"

namespace {

constexpr int FRAME_W = 1024;
constexpr int FRAME_H = 600;

frame_mapping in_window(int w, int h) {
    return map_frame(FRAME_W, FRAME_H, w, h);
}

}  // namespace

TEST(InterfaceFrame, AtItsOwnSizeTheMappingIsTheIdentity) {
    const frame_mapping m = in_window(FRAME_W, FRAME_H);
    EXPECT_EQ(m.scale, 1.0f);
    EXPECT_EQ(m.left, 0.0f);
    EXPECT_EQ(m.bottom, 0.0f);
    // 20 pixels below the top of the window is 580 up from the bottom of the frame.
    float x = 0, y = 0;
    m.to_frame(130, 20, x, y);
    EXPECT_EQ(x, 130.0f);
    EXPECT_EQ(y, 580.0f);
    const pixel_rect r = m.to_window({362, 112, 300, 375});
    EXPECT_EQ(r.x, 362);
    EXPECT_EQ(r.y, 112);
    EXPECT_EQ(r.width, 300);
    EXPECT_EQ(r.height, 375);
    const frame_box all = m.whole_window();
    EXPECT_EQ(all.x, 0.0f);
    EXPECT_EQ(all.width, 1024.0f);
    EXPECT_EQ(all.height, 600.0f);
}

TEST(InterfaceFrame, FitsWholeAndCentredWithMarginsOnTheLongerSide) {
    struct expectation {
        int w, h;
        float scale, left, bottom;
    };
    const expectation cases[] = {
        {1920, 1080, 1.8f, 38, 0},  // wider than 1024:600: margins left and right
        {2560, 1440, 2.4f, 51, 0},
        {3440, 1440, 2.4f, 491, 0},   // very wide
        {800, 600, 0.78125f, 0, 66},  // narrower: margins above and below
        {1280, 1024, 1.25f, 0, 137},
        {1023, 601, 1023.0f / 1024, 0, 1},  // a pixel off each way: scaled by the tighter side
        {2048, 1200, 2.0f, 0, 0},           // exactly twice
    };
    for (const expectation& c : cases) {
        const frame_mapping m = in_window(c.w, c.h);
        EXPECT_FLOAT_EQ(m.scale, c.scale) << c.w << "x" << c.h;
        EXPECT_EQ(m.left, c.left) << c.w << "x" << c.h;
        EXPECT_EQ(m.bottom, c.bottom) << c.w << "x" << c.h;
        // The frame lies inside the window, whole, and touches both edges of the tighter side.
        EXPECT_LE(m.left + FRAME_W * m.scale, c.w + 0.01f) << c.w << "x" << c.h;
        EXPECT_LE(m.bottom + FRAME_H * m.scale, c.h + 0.01f) << c.w << "x" << c.h;
        EXPECT_TRUE(std::fabs(FRAME_W * m.scale - c.w) < 0.01f || std::fabs(FRAME_H * m.scale - c.h) < 0.01f);
    }
}

TEST(InterfaceFrame, PointerComesBackToTheFramePointItWasSentTo) {
    // Frame points: the corners, a menu button's centre, a point in the middle.
    const float points[][2] = {{0, 0}, {1024, 600}, {0, 600}, {150, 525}, {512, 300}, {1000.5f, 10.25f}};
    for (const auto& size : {std::pair{1920, 1080}, {800, 600}, {1366, 768}, {3440, 1440}, {1023, 601}}) {
        const frame_mapping m = in_window(size.first, size.second);
        for (const auto& p : points) {
            float wx = 0, wy = 0, fx = 0, fy = 0;
            m.to_window(p[0], p[1], wx, wy);
            m.to_frame(wx, wy, fx, fy);
            EXPECT_NEAR(fx, p[0], 1e-3) << size.first << "x" << size.second;
            EXPECT_NEAR(fy, p[1], 1e-3) << size.first << "x" << size.second;
            // The pointer is read in whole pixels: a frame point is found within half a window pixel.
            m.to_frame(std::round(wx), std::round(wy), fx, fy);
            EXPECT_LE(std::fabs(fx - p[0]), 0.5f / m.scale + 1e-3f);
            EXPECT_LE(std::fabs(fy - p[1]), 0.5f / m.scale + 1e-3f);
        }
    }
    // At 1920 x 1080 the title's first button (frame x 50..250, y 500..550) lies at window x 128..488,
    // 90..180 from the top; a pointer in the left margin is left of the frame, on no button.
    const frame_mapping hd = in_window(1920, 1080);
    float x = 0, y = 0;
    hd.to_frame(128, 180, x, y);
    EXPECT_NEAR(x, 50, 1e-3);
    EXPECT_NEAR(y, 500, 1e-3);
    hd.to_frame(10, 500, x, y);
    EXPECT_LT(x, 0);
}

TEST(InterfaceFrame, FrameRectanglesCoverEveryWindowPixelTheyTouch) {
    const frame_mapping hd = in_window(1920, 1080);
    const pixel_rect button = hd.to_window({50, 500, 200, 50});
    EXPECT_EQ(button.x, 128);
    EXPECT_EQ(button.y, 900);
    EXPECT_EQ(button.width, 360);
    EXPECT_EQ(button.height, 90);
    // Edges between pixels round outwards: a frame pixel at 800 x 600 is 0.78 window pixels.
    const frame_mapping small = in_window(800, 600);
    const pixel_rect one = small.to_window({1, 1, 1, 1});
    EXPECT_EQ(one.x, 0);  // 0.78 .. 1.56
    EXPECT_EQ(one.width, 2);
    EXPECT_EQ(one.y, 66);  // 66.78 .. 67.56
    EXPECT_EQ(one.height, 2);
    // The whole window, margins included, maps back to exactly the window.
    for (const auto& size : {std::pair{1920, 1080}, {800, 600}, {3440, 1440}}) {
        const frame_mapping m = in_window(size.first, size.second);
        const frame_box all = m.whole_window();
        EXPECT_NEAR(m.left + all.x * m.scale, 0, 1e-3);
        EXPECT_NEAR(m.bottom + all.y * m.scale, 0, 1e-3);
        EXPECT_NEAR(all.width * m.scale, size.first, 1e-2);
        EXPECT_NEAR(all.height * m.scale, size.second, 1e-2);
    }
}

TEST(InterfaceFrame, AWindowWithoutAreaMapsAsTheIdentity) {
    // A minimised window may report 0 x 0: nothing divides by zero or turns to NaN.
    for (const auto& size : {std::pair{0, 0}, {0, 600}, {-5, 10}}) {
        const frame_mapping m = in_window(size.first, size.second);
        EXPECT_EQ(m.scale, 1.0f);
        float x = 0, y = 0;
        m.to_frame(10, 10, x, y);
        EXPECT_FALSE(std::isnan(x) || std::isnan(y));
    }
    EXPECT_EQ(map_frame(0, 0, 1920, 1080).scale, 1.0f);
}
