// The wheel zoom: how far it moves the view and how it pulls the wheel back inside its limits.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>

#include "gl_window.h"
#include "graphics/zoom.h"
#include "platform/glfw2.h"

namespace {

// The z translation translate_zoom left on a fresh modelview matrix.
float zoom_offset(float multi, float up, float down) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    translate_zoom(multi, up, down);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    EXPECT_FLOAT_EQ(m[12], 0);
    EXPECT_FLOAT_EQ(m[13], 0);
    return m[14];
}

class Zoom : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl_window::open()); }
    void TearDown() override { glfw2::set_mouse_wheel(0); }
};

TEST_F(Zoom, WheelInsideTheLimitsMovesTheViewByNotchesTimesMultiplier) {
    glfw2::set_mouse_wheel(3);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, 9.0f, -6.0f), 3.0f);
    EXPECT_FLOAT_EQ(zoom_offset(2.5f, 9.0f, -6.0f), 7.5f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), 3);

    // Exactly at a limit nothing is corrected.
    glfw2::set_mouse_wheel(-6);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, 9.0f, -6.0f), -6.0f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), -6);
}

TEST_F(Zoom, WheelBeyondALimitIsClampedAndSetBack) {
    glfw2::set_mouse_wheel(12);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, 9.0f, -6.0f), 9.0f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), 9);
    // The notches past the limit are forgotten: one back responds at once.
    glfw2::set_mouse_wheel(glfw2::get_mouse_wheel() - 1);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, 9.0f, -6.0f), 8.0f);

    glfw2::set_mouse_wheel(-40);
    EXPECT_FLOAT_EQ(zoom_offset(2.0f, 9.0f, -6.0f), -12.0f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), -6);
}

TEST_F(Zoom, FractionalLimitsMoveTheViewExactlyAndTruncateTheWheel) {
    glfw2::set_mouse_wheel(-10);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, 9.5f, -6.5f), -6.5f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), -6);

    glfw2::set_mouse_wheel(10);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, 9.5f, -6.5f), 9.5f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), 9);
}

TEST_F(Zoom, InvertedOrOutOfRangeLimitsEndAtTheLowerLimitWithoutOverflow) {
    // Limits are applied upper first, then lower, so an inverted pair ends on the lower one.
    glfw2::set_mouse_wheel(0);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, -6.0f, 9.0f), 9.0f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), 9);

    // A limit beyond the int range puts the wheel at the nearest int instead of an undefined value.
    glfw2::set_mouse_wheel(0);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, -1e20f, 1e20f), 1e20f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), INT_MAX);
    glfw2::set_mouse_wheel(0);
    EXPECT_FLOAT_EQ(zoom_offset(1.0f, -1e20f, -1e20f), -1e20f);
    EXPECT_EQ(glfw2::get_mouse_wheel(), INT_MIN);
}

TEST_F(Zoom, TranslationComposesWithTheCallersMatrixAndChangesTheModelviewOnly) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -20);
    glfw2::set_mouse_wheel(9);
    glMatrixMode(GL_PROJECTION);  // the call selects the modelview itself
    translate_zoom(1.0f, 9.0f, -6.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], -11.0f);  // the world plane 11 units in front of the eye
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace
