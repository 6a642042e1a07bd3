// The world pass: which layers and bodies it draws, in what order, at what depth and zoom.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "game/app/main_loop.h"
#include "game/render/hud_images.h"
#include "game/render/render_world.h"
#include "game/sim/global.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"

namespace {

using rgba = std::array<float, 4>;

// One run of consecutive primitives of the same colour, as OpenGL received them after projection.
struct drawn {
    rgba colour;
    int primitives = 0;
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;  // window-pixel bounding box
    float height() const { return y1 - y0; }
};

bool same_colour(const rgba& a, const rgba& b) {
    for (int i = 0; i < 4; ++i)
        if (std::fabs(a[i] - b[i]) > 0.002f)
            return false;
    return true;
}

std::string name(const rgba& c) {
    return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ", " +
           std::to_string(c[3]) + ")";
}

// The frame the main loop draws, through its own passes (the HUD pass left empty), without the swap.
void draw_world_frame() {
    draw_passes(
        world_render, [] {}, global::camera);
}

// Runs the world pass in feedback mode and groups what it sent by colour.
std::vector<drawn> capture_world() {
    static std::vector<GLfloat> buffer(1 << 18);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw_world_frame();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";

    const int vertex_size = 3 + 4 + 4;
    std::vector<drawn> runs;
    int i = 0;
    while (i < used) {
        const int token = static_cast<int>(buffer[i++]);
        int vertices = 0;
        if (token == GL_POLYGON_TOKEN) {
            vertices = static_cast<int>(buffer[i++]);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            vertices = 2;
        } else {
            vertices = 1;
        }
        drawn prim;
        for (int v = 0; v < vertices; ++v, i += vertex_size) {
            const GLfloat* p = &buffer[i];
            prim.colour = {p[3], p[4], p[5], p[6]};
            prim.x0 = std::min(prim.x0, p[0]);
            prim.x1 = std::max(prim.x1, p[0]);
            prim.y0 = std::min(prim.y0, p[1]);
            prim.y1 = std::max(prim.y1, p[1]);
        }
        if (!runs.empty() && same_colour(runs.back().colour, prim.colour)) {
            drawn& run = runs.back();
            run.primitives += 1;
            run.x0 = std::min(run.x0, prim.x0);
            run.x1 = std::max(run.x1, prim.x1);
            run.y0 = std::min(run.y0, prim.y0);
            run.y1 = std::max(run.y1, prim.y1);
        } else {
            prim.primitives = 1;
            runs.push_back(prim);
        }
    }
    return runs;
}

// Window height of a square of half-size r at world depth z, seen from the camera with the zoom.
float projected_height(float r, float z, float zoom) {
    const float distance = -(global::camera[2] + zoom + z);
    return 2 * r * 1.5f / distance * static_cast<float>(CDisplay::height()) / 2;
}

GLuint white_texture() {
    static GLuint tex = 0;
    if (tex == 0) {
        const unsigned char texel[4] = {255, 255, 255, 255};
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        bind_no_texture();
    }
    return tex;
}

// A distinct tint per body, so every run of primitives names the body that drew it.
float BACKGROUND[4] = {0.10f, 0.20f, 0.30f, 1};
float CLOUDS[4] = {0.15f, 0.20f, 0.30f, 1};
float STAR[4] = {0.20f, 0.20f, 0.30f, 1};
float SHADOW_1[4] = {0, 0, 0, 0.5f};
float SHADOW_2[4] = {0.01f, 0, 0, 0.5f};
float PLANET_1[4] = {0.30f, 0.80f, 0.30f, 1};
float PLANET_2[4] = {0.35f, 0.80f, 0.30f, 1};
float STATION_1[4] = {0.40f, 0.10f, 0.90f, 1};
float STATION_2[4] = {0.45f, 0.10f, 0.90f, 1};
float ROCKET[4] = {0.70f, 0.70f, 0.70f, 1};
float LABEL[4] = {0.80f, 0.60f, 0.10f, 1};
float EXPLOSION[4] = {0.90f, 0.60f, 0.10f, 1};
float STRAY_BACK[4] = {0.55f, 0.55f, 0.05f, 1};
float STRAY_SHADOW[4] = {0.60f, 0.55f, 0.05f, 1};
const rgba WHITE{1, 1, 1, 1};
const rgba BLUE_RING{0, 0.7f, 1, 1};
const rgba RED_RING{1, 0.5f, 0.2f, 1};
const rgba HIT_HALF{1, 1, 1, 0.5f};

rgba as_rgba(const float* c) {
    return {c[0], c[1], c[2], c[3]};
}

void square(CParticle& p, float r) {
    p.gfx.geometry = {CVector(r, r), CVector(r, -r), CVector(-r, -r), CVector(-r, r)};
}

class WorldPass : public ::testing::Test {
  protected:
    CParticle* rocket = nullptr;
    CParticle* label = nullptr;
    CParticle* explosion = nullptr;
    CParticle* stray_back = nullptr;
    CParticle* stray_shadow = nullptr;

    void SetUp() override {
        using namespace global;
        ASSERT_TRUE(gl_window::open());
        const int tex = static_cast<int>(white_texture());
        for (const char* n : {"font", "blue_cross", "red_cross", "blue_circle"})
            textures[n] = white_texture();

        if (station1 == nullptr) {
            station1 = new CStation(new CParticle(-8, -5, 0.4f), &planet1);
            station2 = new CStation(new CParticle(8, 5, 0.4f), &planet2);
        }
        background.type = BACK;
        clouds.type = BACK;
        star.type = BACK;
        shadow_1.type = SHADOW;
        shadow_2.type = SHADOW;
        struct body {
            CParticle* p;
            float* colour;
        };
        for (body b : {body{&background, BACKGROUND}, body{&clouds, CLOUDS}, body{&star, STAR},
                       body{&shadow_1, SHADOW_1}, body{&shadow_2, SHADOW_2}, body{&planet1, PLANET_1},
                       body{&planet2, PLANET_2}, body{station1->particle, STATION_1},
                       body{station2->particle, STATION_2}})
            b.p->set_gfx(tex, b.colour, ALPHA);
        // Small squares centred on the axis, so their projected size tells their depth.
        background.pos = clouds.pos = star.pos = CVector(0, 0);
        square(background, 10);
        square(clouds, 4);
        square(star, 1);
        shadow_1.pos = planet1.pos;
        square(shadow_1, 2);

        restart();
        station1->particle->pos = CVector(-8, -5);
        station2->particle->pos = CVector(8, 5);
        station1->loaded = 1;
        station2->loaded = 1;

        rocket = new CParticle(0, -3, 0.2f);
        rocket->type = global::ROCKET;
        rocket->set_gfx(tex, ROCKET, ALPHA);
        label = new CParticle(2, 2, 0.2f);
        label->type = SIGN;
        label->set_gfx(-1, LABEL, ALPHA);
        label->counter = 100;
        explosion = new CParticle(-3, 3, 0.5f);
        explosion->type = EXP;
        explosion->set_gfx(tex, EXPLOSION, ADD);
        stray_back = new CParticle(0, 0, 1);
        stray_back->type = BACK;
        stray_back->set_gfx(tex, STRAY_BACK, ALPHA);
        stray_shadow = new CParticle(0, 0, 1);
        stray_shadow->type = SHADOW;
        stray_shadow->set_gfx(tex, STRAY_SHADOW, ALPHA);

        game_state = ON;
        menu_state = NONE;
        players = MULTI;
        zooming = true;
        zoom_mul = 1.0f;
        glfw2::set_mouse_wheel(0);
    }

    void TearDown() override {
        for (CParticle* p : {stray_back, stray_shadow}) {
            particles.remove(p);
            delete p;
        }
        restart();
        glfw2::set_mouse_wheel(0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

void expect_sequence(const std::vector<drawn>& runs, const std::vector<rgba>& expected) {
    ASSERT_EQ(runs.size(), expected.size());
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_TRUE(same_colour(runs[i].colour, expected[i]))
            << "run " << i << ": drew " << name(runs[i].colour) << ", expected " << name(expected[i]);
}

TEST_F(WorldPass, MenusShowOnlyTheBackgroundWithoutZoom) {
    glfw2::set_mouse_wheel(5);
    for (int menu : {global::MAIN, global::OPTIONS, global::DIFF}) {
        SCOPED_TRACE("menu " + std::to_string(menu));
        global::game_state = global::HIDDEN;
        global::menu_state = menu;
        const auto runs = capture_world();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_TRUE(same_colour(runs[0].colour, as_rgba(BACKGROUND)));
        EXPECT_NEAR(runs[0].height(), projected_height(10, -130, 0), 0.05f);
    }
}

TEST_F(WorldPass, PlayDrawsEveryLayerInOrderWithTheZoom) {
    glfw2::set_mouse_wheel(3);
    const auto runs = capture_world();
    expect_sequence(
        runs, {as_rgba(BACKGROUND), as_rgba(CLOUDS), as_rgba(STAR), as_rgba(PLANET_1), as_rgba(PLANET_2),
               as_rgba(STATION_1), as_rgba(STATION_2), as_rgba(ROCKET), HIT_HALF, as_rgba(EXPLOSION),
               as_rgba(SHADOW_1), as_rgba(SHADOW_2), WHITE, BLUE_RING, WHITE, RED_RING});
    if (runs.size() < 16)
        return;
    // Depths -140, -50, -20 and the planets on the world plane, all moved 3 units nearer.
    EXPECT_NEAR(runs[0].height(), projected_height(10, -140, 3), 0.05f);
    EXPECT_NEAR(runs[1].height(), projected_height(4, -50, 3), 0.05f);
    EXPECT_NEAR(runs[2].height(), projected_height(1, -20, 3), 0.05f);
    EXPECT_NEAR(runs[3].height(), projected_height(3, 0, 3), 0.05f);
    EXPECT_NEAR(runs[10].height(), projected_height(2, 0, 3), 0.05f);

    // "HIT" is three glyph quads of 0.5 x 0.5 world units, centred on the label.
    const drawn& hit = runs[8];
    EXPECT_GE(hit.primitives, 3);
    EXPECT_NEAR(hit.height(), projected_height(0.25f, 0, 3), 0.05f);
    EXPECT_NEAR(hit.x1 - hit.x0, 2 * projected_height(0.25f, 0, 3), 0.05f);
    const float label_y = CDisplay::height() / 2.0f + 2 * 1.5f / (20 - 3) * CDisplay::height() / 2.0f;
    EXPECT_NEAR(hit.y0, label_y, 0.05f);
}

TEST_F(WorldPass, SinglePlayerHidesTheComputersAimMarker) {
    global::players = global::SINGLE;
    const auto runs = capture_world();
    ASSERT_GE(runs.size(), 2u);
    EXPECT_TRUE(same_colour(runs[runs.size() - 2].colour, WHITE));
    EXPECT_TRUE(same_colour(runs.back().colour, BLUE_RING));
    for (const drawn& r : runs)
        EXPECT_FALSE(same_colour(r.colour, RED_RING));
}

TEST_F(WorldPass, HowToPlayShowsTheWholeWorldWithoutZoomWhilePauseAndEndKeepIt) {
    glfw2::set_mouse_wheel(5);
    global::game_state = global::HIDDEN;
    global::menu_state = global::INSTRUCTIONS;
    auto runs = capture_world();
    ASSERT_EQ(runs.size(), 16u);
    EXPECT_NEAR(runs[0].height(), projected_height(10, -140, 0), 0.05f);
    EXPECT_NEAR(runs[3].height(), projected_height(3, 0, 0), 0.05f);

    for (int state : {global::PAUSED, global::ENDED}) {
        global::game_state = state;
        global::menu_state = global::NONE;
        runs = capture_world();
        ASSERT_EQ(runs.size(), 16u);
        EXPECT_NEAR(runs[3].height(), projected_height(3, 0, 5), 0.05f) << "state " << state;
    }

    // Turned off, the wheel leaves the view alone.
    global::zooming = false;
    runs = capture_world();
    ASSERT_EQ(runs.size(), 16u);
    EXPECT_NEAR(runs[3].height(), projected_height(3, 0, 0), 0.05f);
}

TEST_F(WorldPass, HitLabelsFadeOverTwoHundredSteps) {
    for (auto [counter, alpha] :
         {std::pair{0, 1.0f}, std::pair{100, 0.5f}, std::pair{150, 0.25f}, std::pair{200, 0.0f}}) {
        label->counter = counter;
        const auto runs = capture_world();
        ASSERT_EQ(runs.size(), 16u);
        EXPECT_TRUE(same_colour(runs[8].colour, {1, 1, 1, alpha}))
            << counter << " drew " << name(runs[8].colour);
    }
}

TEST_F(WorldPass, ShadowsDarkenThePlanetOnScreen) {
    draw_world_frame();
    // Planet 1 sits at (-8, 0); its shadow square covers its middle but not its right rim.
    const float scale = 1.5f / 20 * CDisplay::height() / 2.0f;
    const int cx = static_cast<int>(CDisplay::width() / 2.0f - 8 * scale);
    const int cy = CDisplay::height() / 2;
    const int rim = static_cast<int>(CDisplay::width() / 2.0f - 5.5f * scale);
    const auto middle = gl_window::pixel(cx, cy);
    const auto edge = gl_window::pixel(rim, cy);
    EXPECT_TRUE(near_colour(edge, {77, 204, 77, 255}, 4)) << describe(edge);
    EXPECT_TRUE(near_colour(middle, {38, 102, 38, 255}, 4)) << describe(middle);
}

}  // namespace
