#include <GL/gl.h>
#include <gtest/gtest.h>

#include "general/figure.h"
#include "gl_window.h"
#include "graphics/camera.h"

namespace {

const std::array<int, 4> BLACK = {0, 0, 0, 255};
const std::array<int, 4> WHITE = {255, 255, 255, 255};
const std::array<int, 4> GREEN = {0, 255, 0, 255};
const std::array<int, 4> RED = {255, 0, 0, 255};

class FigureDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        gl_window::begin_pixel_frame();
    }
    void TearDown() override {
        while (!figures.empty())
            delete figures.front();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

#define EXPECT_PIXEL(x, y, colour)                                                                       \
    do {                                                                                                 \
        std::array<int, 4> seen = gl_window::pixel(x, y);                                                \
        EXPECT_TRUE(near_colour(seen, colour)) << "at " << (x) << ", " << (y) << ": " << describe(seen); \
    } while (0)

float green[4] = {0, 1, 0, 1};
float red[4] = {1, 0, 0, 1};

TEST_F(FigureDrawing, FilledBoxCoversItsRectangleOnly) {
    CFigure* box = new_box(100, 100, 80, 40, 1);
    box->set_gfx(-1, green, false, red);
    box->display();
    EXPECT_PIXEL(100, 100, GREEN);
    EXPECT_PIXEL(65, 85, GREEN);
    EXPECT_PIXEL(135, 115, GREEN);
    EXPECT_PIXEL(120, 110, GREEN);  // on a fan edge: no line without the outline
    EXPECT_PIXEL(143, 100, BLACK);
    EXPECT_PIXEL(57, 100, BLACK);
    EXPECT_PIXEL(100, 123, BLACK);
    EXPECT_PIXEL(100, 77, BLACK);
    GLint mode[2];
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
}

TEST_F(FigureDrawing, OutlineIsTwoPixelsAndTheFanOnePixelInTheOutlineColour) {
    CFigure* box = new_box(100.5f, 100.5f, 80, 40, 1);
    box->set_gfx(-1, green, true, red);
    box->display();
    // Outer edges at x 60.5 and 140.5, y 80.5 and 120.5.
    EXPECT_PIXEL(140, 100, RED);
    EXPECT_PIXEL(100, 120, RED);
    EXPECT_PIXEL(60, 95, RED);
    EXPECT_PIXEL(143, 100, BLACK);
    // The two-pixel outline covers both pixel rows next to the edge, the one-pixel fan does not.
    int outline_rows = 0;
    for (int y = 116; y <= 124; ++y)
        if (near_colour(gl_window::pixel(80, y), RED))
            ++outline_rows;
    EXPECT_EQ(outline_rows, 2);
    // Diagonal from the centre to corner (140.5, 120.5): one line crossing column 120 near y 110.
    int diagonal = 0;
    for (int y = 104; y <= 116; ++y)
        if (near_colour(gl_window::pixel(120, y), RED))
            ++diagonal;
    EXPECT_EQ(diagonal, 1);
    EXPECT_PIXEL(90, 110, GREEN);
    // The drawing baseline is back: filled polygons, one-pixel lines.
    GLint mode[2];
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    gl_window::begin_pixel_frame();
    box->gfx.outline = false;
    box->display();
    EXPECT_PIXEL(100, 100, GREEN);
}

TEST_F(FigureDrawing, TurnedByHalfATurnTheTriangleSitsOnTheOtherSide) {
    // The triangle fills the half of its box above the diagonal from bottom right to top left.
    CFigure* t = new_triangle(160, 120, 80, 80, 1);
    t->set_gfx(-1, green, false, red);
    t->display();
    EXPECT_PIXEL(180, 130, GREEN);
    EXPECT_PIXEL(140, 110, BLACK);
    gl_window::begin_pixel_frame();
    t->ang_pos = 3.1415f;
    t->display();
    EXPECT_PIXEL(180, 130, BLACK);
    EXPECT_PIXEL(140, 110, GREEN);
    EXPECT_PIXEL(125, 85, GREEN);
}

TEST_F(FigureDrawing, ContactLineAndPointFollowTheRecordedCollision) {
    CFigure* floor = new_box(160.5f, 60.5f, 200, 40, 1);
    floor->set_phy(true, 1, 0.9f, floor->props.mass, floor->props.inertia);
    floor->set_gfx(-1, green, false, red);
    float pts[4][2] = {{0, 20}, {20, 0}, {0, -20}, {-20, 0}};
    CFigure* diamond = new CFigure(160.5f, 102, 4, pts);
    diamond->set_phy(false, 1, 0.9f, 1, 100);
    diamond->vel = CVector(0, -5);
    diamond->update();
    ASSERT_EQ(floor->col_type, 2);
    ASSERT_EQ(diamond->col_type, 1);

    glMatrixMode(GL_MODELVIEW);
    floor->display_col();
    // The hit edge is the floor's top, y 80.5, drawn five pixels wide in red.
    EXPECT_PIXEL(100, 80, RED);
    EXPECT_PIXEL(200, 82, RED);
    EXPECT_PIXEL(200, 78, RED);
    EXPECT_PIXEL(200, 85, BLACK);
    EXPECT_PIXEL(280, 80, BLACK);  // beyond the edge's end

    // Turned with the figure: half a turn puts the same edge at the bottom.
    gl_window::begin_pixel_frame();
    floor->ang_pos = 3.1415f;
    floor->display_col();
    EXPECT_PIXEL(200, 40, RED);
    EXPECT_PIXEL(200, 80, BLACK);

    // The corner owner shows a 15-pixel point at the corner that hit.
    gl_window::begin_pixel_frame();
    diamond->display_col();
    CVector corner = diamond->pos + CVector(0, -20);
    int cx = static_cast<int>(corner.x), cy = static_cast<int>(corner.y);
    EXPECT_PIXEL(cx, cy, RED);
    EXPECT_PIXEL(cx + 6, cy, RED);
    EXPECT_PIXEL(cx + 10, cy, BLACK);

    gl_window::begin_pixel_frame();
    floor->reset();
    diamond->reset();
    floor->display_col();
    diamond->display_col();
    EXPECT_PIXEL(200, 40, BLACK);
    EXPECT_PIXEL(cx, cy, BLACK);
}

void modelview_translation(float* x, float* y) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    *x = m[12];
    *y = m[13];
}

TEST_F(FigureDrawing, CameraStepsTowardTheFigureAtMostFollowLong) {
    CFigure* f = new_box(3, 4, 1, 1, 1);
    float camera[2] = {0, 0};
    float tx, ty;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    translate_camera(f, camera, 10);
    modelview_translation(&tx, &ty);
    EXPECT_FLOAT_EQ(tx, -3);
    EXPECT_FLOAT_EQ(ty, -4);
    EXPECT_FLOAT_EQ(camera[0], 3);
    EXPECT_FLOAT_EQ(camera[1], 4);
    GLint matrix_mode;
    glGetIntegerv(GL_MATRIX_MODE, &matrix_mode);

    // Once on the figure the camera stays there.
    glLoadIdentity();
    translate_camera(f, camera, 10);
    modelview_translation(&tx, &ty);
    EXPECT_FLOAT_EQ(tx, -3);
    EXPECT_FLOAT_EQ(camera[0], 3);
    EXPECT_FLOAT_EQ(camera[1], 4);

    // A short follow length limits the step to that length.
    camera[0] = camera[1] = 0;
    glLoadIdentity();
    translate_camera(f, camera, 1);
    modelview_translation(&tx, &ty);
    EXPECT_NEAR(tx, -0.6f, 1e-6f);
    EXPECT_NEAR(ty, -0.8f, 1e-6f);
    EXPECT_NEAR(camera[0], 0.6f, 1e-6f);
    EXPECT_NEAR(camera[1], 0.8f, 1e-6f);
    for (int i = 0; i < 10; ++i) {
        glLoadIdentity();
        translate_camera(f, camera, 1);
    }
    EXPECT_NEAR(camera[0], 3, 1e-5f);
    EXPECT_NEAR(camera[1], 4, 1e-5f);

    // No follow length, no step.
    camera[0] = camera[1] = 1;
    glLoadIdentity();
    translate_camera(f, camera, 0);
    modelview_translation(&tx, &ty);
    EXPECT_FLOAT_EQ(tx, -1);
    EXPECT_FLOAT_EQ(camera[0], 1);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(matrix_mode, GL_MODELVIEW);
}

TEST_F(FigureDrawing, GridDrawsUnitLinesOverItsArea) {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    glTranslatef(50.5f, 50.5f, 0);
    glScalef(50, 50, 1);
    world_grid(2, 1);
    glPopMatrix();
    // Horizontal lines y = 0 and 1 from x 0 to 2, vertical lines x = 0, 1 and 2 from y 0 to 1.
    EXPECT_PIXEL(75, 50, BLACK);
    EXPECT_PIXEL(125, 100, BLACK);
    EXPECT_PIXEL(50, 75, BLACK);
    EXPECT_PIXEL(100, 75, BLACK);
    EXPECT_PIXEL(150, 75, BLACK);
    EXPECT_PIXEL(75, 75, WHITE);
    EXPECT_PIXEL(125, 51, WHITE);
    EXPECT_PIXEL(175, 50, WHITE);   // no line beyond x = 2
    EXPECT_PIXEL(100, 125, WHITE);  // nor beyond y = 1
    EXPECT_PIXEL(200, 75, WHITE);
    GLint mode[2];
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);

    // Sizes no float counter could reach end promptly; a negative size draws nothing.
    world_grid(1e30f, 1);
    world_grid(-3, -3);
}

}  // namespace
