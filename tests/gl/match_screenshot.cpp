// A match in progress through the real start-up and both passes: every body the player should see
// shows on screen. With ZELVORANT_WRITE_DOCS=1 the frame is also saved as docs/match.png.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frame_pixels.h"
#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "tga_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace global;

// One frame as the main loop draws it: the world in perspective, then the HUD in window pixels.
void draw_frame() {
    draw_passes(world_render, gui_render, camera);
    glFinish();
}

// Window pixel (from the top, as in rgba_image) of a point on the world plane, zoom at rest.
std::array<int, 2> on_screen(CVector p) {
    const float scale = 1.5f / -camera[2] * CDisplay::height() / 2.0f;
    return {static_cast<int>(std::lround(CDisplay::width() / 2.0f + (p.x + camera[0]) * scale)),
            static_cast<int>(std::lround(CDisplay::height() / 2.0f - (p.y + camera[1]) * scale))};
}

// The largest colour change between two frames over a square of pixels around a world point.
int largest_change(const rgba_image& a, const rgba_image& b, CVector centre, int half) {
    const auto c = on_screen(centre);
    int largest = 0;
    for (int y = c[1] - half; y <= c[1] + half; ++y)
        for (int x = c[0] - half; x <= c[0] + half; ++x) {
            if (x < 0 || y < 0 || x >= a.width || y >= a.height)
                continue;
            int change = 0;
            for (int i = 0; i < 3; ++i)
                change += std::abs(static_cast<int>(const_cast<rgba_image&>(a).at(x, y)[i]) -
                                   static_cast<int>(const_cast<rgba_image&>(b).at(x, y)[i]));
            largest = std::max(largest, change);
        }
    return largest;
}

// How much a set of bodies shows: the frame with them against the frame with their pictures off.
int visibility(const rgba_image& full, const std::vector<CParticle*>& bodies, CVector centre, int half) {
    std::vector<int> kept;
    for (CParticle* p : bodies) {
        kept.push_back(p->gfx.texture);
        p->gfx.texture = -1;
    }
    draw_frame();
    const rgba_image without = framebuffer_image();
    for (size_t i = 0; i < bodies.size(); ++i)
        bodies[i]->gfx.texture = kept[i];
    return largest_change(full, without, centre, half);
}

bool on_view(CVector p) {
    return std::fabs(p.x) < 14 && std::fabs(p.y) < 10;
}

// Inside one of the 12 x 12 shadow quads, where a burst would be darkened.
bool under_shadow(CVector p) {
    for (CParticle* s : {&shadow_1, &shadow_2})
        if (std::fabs(p.x - s->pos.x) < 6.5f && std::fabs(p.y - s->pos.y) < 6.5f)
            return true;
    return false;
}

struct scene {
    CParticle* missile = nullptr;
    CParticle* explosion = nullptr;
    std::vector<CParticle*> trail;
};

// A missile in flight with its trail and an explosion at its brightest frames, if both exist.
scene look() {
    scene s;
    for (CParticle* p : particles) {
        if (p->type == global::ROCKET && p->counter >= 20 && on_view(p->pos) &&
            CVector(p->pos, planet1.pos).len() > 4 && CVector(p->pos, planet2.pos).len() > 4)
            s.missile = p;
        if (p->type == EXP && p->counter >= 21 && p->counter <= 35 && on_view(p->pos) &&
            !under_shadow(p->pos))
            s.explosion = p;
    }
    if (s.missile == nullptr)
        return s;
    // Trail dots sit where the missile was; the newest ones lie along its last stretch of flight.
    for (CParticle* p : particles)
        if (p->type == TRACE && p->counter < 60 && CVector(p->pos, s.missile->pos).len() < 3.5f)
            s.trail.push_back(p);
    return s;
}

TEST(MatchScreenshot, PlanetsStationsShadowsMissileTrailAndExplosionAllShow) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const fs::path gfx = fs::path(ZELVORANT_RUN_DIR) / "gfx";
    for (const char* picture : {"planet1.tga", "shadow.tga", "missile.tga", "explode.tga", "particle.tga"})
        ASSERT_TRUE(fs::exists(gfx / picture))
            << (gfx / picture) << " is missing: build the art generator first";

    // A fresh run folder without "conf": the default 1024 x 600 window.
    const fs::path run = scratch_dir("match");
    fs::create_directory_symlink(gfx, run / "gfx");
    const fs::path home = fs::current_path();
    fs::current_path(run);
    init_gfx();
    glfw2::use_clock(leaping_clock);
    const int started = init();
    glfw2::use_clock(nullptr);
    fs::current_path(home);
    ASSERT_EQ(started, 0);
    ASSERT_EQ(CDisplay::width(), 1024);
    ASSERT_EQ(CDisplay::height(), 600);

    std::srand(7);
    restart();
    game_state = ON;
    menu_state = NONE;
    players = MULTI;

    // Both sides keep firing at each other until one missile has burst and another is in flight.
    scene shot;
    const int missile_tex = set_texture("missile");
    for (int step = 0; step < 6000 && !(shot.missile && shot.explosion && shot.trail.size() >= 20); ++step) {
        if (step % 45 == 0) {
            const int volley = step / 45;
            CStation* s = volley % 2 == 0 ? station1 : station2;
            const float spread = 0.23f * static_cast<float>((volley / 2) % 11);
            s->aim = s == station1 ? 0.6f + spread : -0.6f - spread;
            s->loaded = 0.8f + 0.3f * static_cast<float>(volley % 5);
            s->rockets = 10;
            s->shoot_rocket(missile_tex);
            s->loaded = 0;
        }
        if (step % 45 == 30)
            station1->loaded = 1.0f;  // a charge ring on the blue marker
        ASSERT_FALSE(program_logic());
        shot = look();
    }
    ASSERT_NE(shot.missile, nullptr) << "no missile in flight";
    ASSERT_NE(shot.explosion, nullptr) << "no explosion on screen with the missile";
    ASSERT_GE(shot.trail.size(), 20u);
    std::printf("captured after %d steps\n", counter);

    fps = 60;  // as the main loop would have counted by now
    draw_frame();
    const rgba_image full = framebuffer_image();
    const fs::path tga = run / "match.tga";
    ASSERT_TRUE(write_file(tga.string(), encode_tga(full)));

    EXPECT_GT(visibility(full, {&planet1}, planet1.pos, 20), 60) << "planet 1";
    EXPECT_GT(visibility(full, {&planet2}, planet2.pos, 20), 60) << "planet 2";
    EXPECT_GT(visibility(full, {station1->particle}, station1->particle->pos, 4), 60) << "blue station";
    EXPECT_GT(visibility(full, {station2->particle}, station2->particle->pos, 4), 60) << "red station";
    EXPECT_GT(visibility(full, {&shadow_1}, planet1.pos, 60), 40) << "shadow over planet 1";
    EXPECT_GT(visibility(full, {&shadow_2}, planet2.pos, 60), 40) << "shadow over planet 2";
    EXPECT_GT(visibility(full, {shot.missile}, shot.missile->pos, 3), 60) << "missile";
    EXPECT_GT(visibility(full, shot.trail, shot.trail.front()->pos, 3), 20) << "trail";
    EXPECT_GT(visibility(full, {shot.explosion}, shot.explosion->pos, 6), 60) << "explosion";

    const char* docs = std::getenv("ZELVORANT_WRITE_DOCS");
    if (docs != nullptr && std::string(docs) == "1") {
        const fs::path png = fs::path(ZELVORANT_SOURCE_DIR) / "docs" / "match.png";
        const std::string command = "convert '" + tga.string() + "' -auto-orient '" + png.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
}

}  // namespace
