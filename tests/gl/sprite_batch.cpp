// Batched sprites must look exactly like sprites drawn one by one, leave the same GL state behind,
// and really send long runs as one batch.
#include "graphics/sprite_batch.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "game/render/hud_images.h"
#include "game/render/render_world.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "general/particle.h"
#include "gl_window.h"
#include "graphics/draw.h"
#include "graphics/textures.h"
#include "scratch_folder.h"
#include "tga_writer.h"

namespace {

constexpr int W = 480;
constexpr int H = 360;

struct textures_used {
    int dot, missile, boom, block;
};

// Pictures like the game's: a soft round dot, a pointed missile, a 13-frame explosion strip,
// and an opaque checker whose hard edges show any error in placement or texture coordinates.
const textures_used& pictures() {
    static textures_used t = [] {
        const std::string dir = scratch_dir("sprite_batch");
        rgba_image dot(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const float d = std::hypot(x - 7.5f, y - 7.5f) / 8.0f;
                uint8_t* p = dot.at(x, y);
                p[0] = p[1] = p[2] = 255;
                p[3] = static_cast<uint8_t>(255 * std::max(0.0f, 1 - d));
            }
        rgba_image missile(32, 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                uint8_t* p = missile.at(x, y);
                const bool body = std::abs(x - 16) < 4 + y / 6 && y > 2 && y < 29;
                p[0] = static_cast<uint8_t>(200 + y);
                p[1] = static_cast<uint8_t>(x * 8);
                p[2] = 90;
                p[3] = body ? 255 : 0;
            }
        rgba_image boom(13 * 16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 13 * 16; ++x) {
                const int frame = x / 16;
                const float d = std::hypot(x % 16 - 7.5f, y - 7.5f) / 8.0f;
                uint8_t* p = boom.at(x, y);
                p[0] = static_cast<uint8_t>(255 - frame * 15);
                p[1] = static_cast<uint8_t>(frame * 19);
                p[2] = static_cast<uint8_t>(60 + (frame % 3) * 60);
                p[3] = static_cast<uint8_t>(255 * std::max(0.0f, 1 - d));
            }
        rgba_image block(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                uint8_t* p = block.at(x, y);
                const bool light = (x + y) % 2 == 0;
                p[0] = light ? 250 : 30;
                p[1] = light ? 240 : 60;
                p[2] = static_cast<uint8_t>(x * 30);
                p[3] = 255;
            }
        write_file(dir + "/dot.tga", encode_tga(dot));
        write_file(dir + "/missile.tga", encode_tga(missile));
        write_file(dir + "/boom.tga", encode_tga(boom));
        write_file(dir + "/block.tga", encode_tga(block));
        load_texture(dir + "/dot.tga", "batch_dot");
        load_texture(dir + "/missile.tga", "batch_missile");
        load_texture(dir + "/boom.tga", "batch_boom");
        load_texture(dir + "/block.tga", "batch_block");
        textures_used ids;
        ids.dot = set_texture("batch_dot");
        ids.missile = set_texture("batch_missile");
        ids.boom = set_texture("batch_boom");
        ids.block = set_texture("batch_block");
        bind_no_texture();
        return ids;
    }();
    return t;
}

// Particles made for one test; they leave the global list again afterwards.
class CScene {
  public:
    ~CScene() {
        for (CParticle* p : own) {
            particles.remove(p);
            delete p;
        }
    }
    CParticle* add(float x, float y, float r) {
        own.push_back(new CParticle(x, y, r));
        return own.back();
    }
    CParticle* add_rect(float x, float y, float w, float h) {
        own.push_back(new CParticle(x, y, w, h));
        return own.back();
    }
    std::vector<CParticle*> own;
    std::vector<float> depth;
};

// A busy frame: trails of fading dots, missiles turned every way, explosions at every frame (some past
// the last, wrapping), opaque checkers, a few at other depths, particles that draw nothing, and
// sprites with an unknown blend mode that inherit the one before them.
void build_busy_scene(CScene& scene) {
    const textures_used& t = pictures();
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> u(0, 1);
    auto at = [&](float span) { return (u(rng) * 2 - 1) * span; };
    float tint[4];
    for (int trail = 0; trail < 40; ++trail) {
        float x = at(15), y = at(11);
        const float dx = at(0.08f), dy = at(0.08f);
        for (int i = 0; i < 90; ++i) {
            CParticle* d = scene.add(x += dx, y += dy, 0.15f + 0.25f * u(rng));
            tint[0] = 0.6f, tint[1] = 0.8f, tint[2] = 1.0f, tint[3] = 0.5f - i / 400.0f;
            d->set_gfx(t.dot, tint, ALPHA);
            scene.depth.push_back(0);
        }
        CParticle* m = scene.add_rect(x, y, 0.5f + u(rng), 0.25f + 0.5f * u(rng));
        tint[0] = tint[1] = tint[2] = tint[3] = 1;
        m->set_gfx(t.missile, tint, ALPHA);
        m->ang_pos = u(rng) * 6.2831f;
        scene.depth.push_back(0);
        if (trail % 3 == 0) {
            CParticle* e = scene.add(x + at(0.5f), y + at(0.5f), 0.8f);
            e->set_gfx(t.boom, tint, ADD);
            e->set_anim(1, 13, 7);
            e->counter = static_cast<int>(u(rng) * 100);  // up to 99: past frame 12 it wraps
            scene.depth.push_back(0);
        }
        if (trail % 4 == 1) {
            CParticle* b = scene.add(at(14), at(10), 0.5f + 0.8f * u(rng));
            tint[0] = u(rng), tint[1] = u(rng), tint[2] = 1, tint[3] = 0.4f + 0.6f * u(rng);
            b->set_gfx(t.block, tint, ALPHA);
            b->ang_pos = u(rng) * 6.2831f;
            scene.depth.push_back(trail % 8 == 1 ? -6.0f : 2.5f);
        }
        if (trail % 5 == 2) {
            // Draws nothing, but leaves additive blending and its colour to what follows.
            CParticle* ghost = scene.add(x, y, 0.5f);
            tint[0] = 0.2f, tint[1] = 0.9f, tint[2] = 0.4f, tint[3] = 0.7f;
            ghost->set_gfx(-1, tint, ADD);
            scene.depth.push_back(0);
            CParticle* heir = scene.add(x + 0.4f, y, 0.6f);
            heir->set_gfx(t.block, tint, 7);
            heir->ang_pos = 0.3f;
            scene.depth.push_back(0);
        }
        if (trail % 7 == 3) {
            CParticle* odd = scene.add(x, y + 0.5f, 0.4f);
            odd->set_gfx(t.dot, tint, ALPHA);
            odd->gfx.animation = 2;  // neither still nor animated: draws nothing
            scene.depth.push_back(0);
        }
    }
}

void begin_world_frame() {
    gl_window::begin_pixel_frame();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float ratio = static_cast<float>(W) / H;
    glFrustum(-ratio, ratio, -1.0, 1.0, 1.5, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -20);
    glColor4f(0.5f, 0.5f, 0.5f, 1);
}

std::vector<unsigned char> read_frame() {
    glFinish();
    std::vector<unsigned char> pixels(static_cast<size_t>(W) * H * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

struct gl_state {
    float colour[4];
    int blend_src, blend_dst, texture;
    int polygon_mode[2], matrix_mode;
    bool texturing;
};

gl_state read_state() {
    gl_state s;
    glGetFloatv(GL_CURRENT_COLOR, s.colour);
    glGetIntegerv(GL_BLEND_SRC, &s.blend_src);
    glGetIntegerv(GL_BLEND_DST, &s.blend_dst);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
    glGetIntegerv(GL_POLYGON_MODE, s.polygon_mode);
    glGetIntegerv(GL_MATRIX_MODE, &s.matrix_mode);
    s.texturing = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    return s;
}

class SpriteBatch : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl_window::open(W, H)); }
};

TEST_F(SpriteBatch, BusySceneLooksTheSameAsSpriteBySpriteAndLeavesTheSameState) {
    CScene scene;
    build_busy_scene(scene);
    ASSERT_GT(scene.own.size(), 2000u);

    begin_world_frame();
    for (size_t i = 0; i < scene.own.size(); ++i)
        scene.own[i]->display(scene.depth[i]);
    const gl_state single_state = read_state();
    const std::vector<unsigned char> single = read_frame();

    begin_world_frame();
    CSpriteBatch batch;
    for (size_t i = 0; i < scene.own.size(); ++i)
        batch.add(scene.own[i], scene.depth[i]);
    batch.flush();
    const gl_state batched_state = read_state();
    const std::vector<unsigned char> batched = read_frame();

    // The scene really covers the frame: most of it is not the black background.
    size_t lit = 0, close = 0, worst = 0;
    for (size_t i = 0; i < single.size(); i += 4) {
        if (single[i] + single[i + 1] + single[i + 2] > 30)
            ++lit;
        size_t diff = 0;
        for (int c = 0; c < 3; ++c)
            diff = std::max<size_t>(diff, std::abs(single[i + c] - batched[i + c]));
        worst = std::max(worst, diff);
        if (diff <= 2)
            ++close;
    }
    const size_t total = single.size() / 4;
    EXPECT_GT(lit, total / 8) << lit << " of " << total << " pixels lit";
    EXPECT_GE(close * 1000, total * 999) << (total - close) << " pixels differ by more than 2";
    EXPECT_LE(worst, 8u);

    for (int c = 0; c < 4; ++c)
        EXPECT_FLOAT_EQ(batched_state.colour[c], single_state.colour[c]);
    EXPECT_EQ(batched_state.blend_src, single_state.blend_src);
    EXPECT_EQ(batched_state.blend_dst, single_state.blend_dst);
    EXPECT_EQ(static_cast<unsigned>(batched_state.texture), static_cast<unsigned>(single_state.texture));
    // Runs break only where texture or blend change, or where a sprite draws nothing.
    EXPECT_LT(batch.runs(), scene.own.size() / 10);
}

TEST_F(SpriteBatch, RunsBreakOnTextureBlendOrAParticleThatDrawsNothing) {
    const textures_used& t = pictures();
    CScene scene;
    float white[4] = {1, 1, 1, 1};
    auto make = [&](int tex, int blend) {
        CParticle* p = scene.add(0, 0, 0.2f);
        p->set_gfx(tex, white, blend);
        return p;
    };
    for (int i = 0; i < 50; ++i)
        make(t.dot, ALPHA);
    for (int i = 0; i < 5; ++i)
        make(t.dot, ADD);  // same picture, other blend
    for (int i = 0; i < 5; ++i)
        make(t.boom, ADD);  // same blend, other picture
    make(-1, ADD);          // draws nothing: ends the run, starts no new one
    for (int i = 0; i < 50; ++i)
        make(t.boom, ADD);

    begin_world_frame();
    CSpriteBatch batch;
    for (CParticle* p : scene.own)
        batch.add(p, 0);
    batch.flush();
    EXPECT_EQ(batch.runs(), 4u);

    // Nothing queued: flush draws nothing and counts nothing.
    batch.reset_count();
    batch.flush();
    EXPECT_EQ(batch.runs(), 0u);
}

TEST_F(SpriteBatch, TurnedAndAnimatedSpritesKeepTheirCornersAndFrames) {
    // One large sprite at a time, compared against display: a turn of a quarter, a half and an odd
    // angle, and animation frames including one past the strip's end.
    const textures_used& t = pictures();
    float tint[4] = {1, 0.9f, 0.8f, 1};
    struct sprite_case {
        int tex;
        float angle;
        int counter;
    };
    const sprite_case cases[] = {{t.block, 1.5708f, 0}, {t.block, 3.1415f, 0}, {t.missile, 0.777f, 0},
                                 {t.boom, 0, 0},        {t.boom, 0.4f, 30},    {t.boom, 0, 91}};
    for (const sprite_case& c : cases) {
        CScene scene;
        CParticle* p = c.tex == t.missile ? scene.add_rect(1.5f, -1, 6, 3) : scene.add(1.5f, -1, 5);
        p->set_gfx(c.tex, tint, c.tex == t.boom ? ADD : ALPHA);
        if (c.tex == t.boom)
            p->set_anim(1, 13, 7);
        p->ang_pos = c.angle;
        p->counter = c.counter;

        begin_world_frame();
        p->display(0);
        const std::vector<unsigned char> single = read_frame();
        begin_world_frame();
        CSpriteBatch batch;
        batch.add(p, 0);
        batch.flush();
        const std::vector<unsigned char> batched = read_frame();

        size_t off = 0;
        for (size_t i = 0; i < single.size(); i += 4)
            for (int ch = 0; ch < 3; ++ch)
                if (std::abs(single[i + ch] - batched[i + ch]) > 8)
                    ++off;
        EXPECT_LE(off, single.size() / 4 / 1000)
            << "angle " << c.angle << " counter " << c.counter << ": " << off << " channels differ";
    }
}

// The world pass of a match in play, drawn with its sprites batched and one by one, must not differ.
TEST_F(SpriteBatch, WorldPassOfAMatchLooksTheSameBatchedAndOneByOne) {
    using namespace global;
    const textures_used& t = pictures();
    // The game's picture names, on this test's pictures.
    const std::string dir = scratch_dir("sprite_batch");
    load_texture(dir + "/dot.tga", "particle");
    load_texture(dir + "/missile.tga", "missile");
    load_texture(dir + "/boom.tga", "explosion");
    load_texture(dir + "/block.tga", "station_1");
    (void)t;
    if (station1 == nullptr) {
        station1 = new CStation(new CParticle(-9, -4, 0.4f), &planet1);
        station2 = new CStation(new CParticle(9, 4, 0.4f), &planet2);
    }
    float white[4] = {1, 1, 1, 1};
    for (CParticle* body : {&planet1, &planet2, station1->particle, station2->particle})
        body->set_gfx(set_texture("station_1"), white, ALPHA);
    station1->particle->ang_vel = station2->particle->ang_vel = 0.0022f;
    restart();
    game_state = ON;
    menu_state = NONE;
    players = MULTI;
    zooming = false;
    // Both sides fire missiles and flares for a while: trails, explosions and hit labels fill the list.
    for (int step = 0; step < 1200; ++step) {
        if (step % 60 == 0) {
            station1->rockets = station2->rockets = 10;
            station1->loaded = station2->loaded = 0.5f + (step % 7) * 0.2f;
            station1->aim = -1.0f + step * 0.01f;
            station2->aim = 2.0f - step * 0.013f;
            station1->shoot_rocket(set_texture("missile"));
            station2->shoot_rocket(set_texture("missile"));
        }
        if (step % 150 == 75) {
            station1->flares = 5;
            station1->shoot_flare(set_texture("missile"));
        }
        program_logic();
    }
    int traces = 0, explosions = 0;
    for (CParticle* p : particles) {
        traces += p->type == TRACE;
        explosions += p->type == EXP;
    }
    ASSERT_GT(traces, 500);

    auto draw_world = [&](bool one_by_one) {
        CSpriteBatch::one_by_one = one_by_one;
        begin_world_frame();
        world_render();
        CSpriteBatch::one_by_one = false;
        return read_frame();
    };
    const std::vector<unsigned char> single = draw_world(true);
    const std::vector<unsigned char> batched = draw_world(false);
    size_t close = 0, worst = 0;
    for (size_t i = 0; i < single.size(); i += 4) {
        size_t diff = 0;
        for (int c = 0; c < 3; ++c)
            diff = std::max<size_t>(diff, std::abs(single[i + c] - batched[i + c]));
        worst = std::max(worst, diff);
        close += diff <= 2;
    }
    const size_t total = single.size() / 4;
    EXPECT_GE(close * 1000, total * 999) << (total - close) << " pixels differ by more than 2";
    EXPECT_LE(worst, 8u) << traces << " trail dots, " << explosions << " explosions";
    restart();
}

TEST_F(SpriteBatch, ALeftOutParticleLeavesTheStateItsDrawingWould) {
    const textures_used& t = pictures();
    CParticle plain(0, 0, 1.0f), added(0, 0, 1.0f), nothing(0, 0, 1.0f);
    float tint[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    plain.set_gfx(t.missile, tint, ALPHA);
    added.set_gfx(t.boom, tint, ADD);
    added.set_anim(1, 13, 7);
    nothing.gfx.colour[0] = 0.5f;  // no picture: draws nothing, sets its colour and blend
    nothing.gfx.blend = ADD;
    // Before each: a state unlike any particle's.
    const auto unlike = [&] {
        glMatrixMode(GL_PROJECTION);
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
        glColor4f(0.9f, 0.1f, 0.1f, 0.3f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(t.dot));
    };
    for (CParticle* p : {&plain, &added, &nothing}) {
        begin_world_frame();
        unlike();
        p->display(0);
        const gl_state drawn = read_state();
        unlike();
        leave_display_state(*p);
        const gl_state left_out = read_state();
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(left_out.colour[c], drawn.colour[c]);
        EXPECT_EQ(left_out.blend_src, drawn.blend_src);
        EXPECT_EQ(left_out.blend_dst, drawn.blend_dst);
        EXPECT_EQ(static_cast<unsigned>(left_out.texture), static_cast<unsigned>(drawn.texture));
        EXPECT_EQ(left_out.polygon_mode[0], drawn.polygon_mode[0]);
        EXPECT_EQ(left_out.matrix_mode, drawn.matrix_mode);
        EXPECT_EQ(left_out.texturing, drawn.texturing);
    }
    for (int i = 0; i < 3; ++i)
        particles.pop_back();
}

}  // namespace
