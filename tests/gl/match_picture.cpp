// A match's picture is kept and, frame after frame, drawn again only where something moved. Whatever
// happens on the board, each frame must come out exactly as a whole frame drawn afresh: equality of
// every pixel, no tolerance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "frame_pixels.h"
#include "game/render/match_picture.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/rules.h"
#include "game/sim/station_input.h"
#include "graphics/display.h"
#include "graphics/textures.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "started_game.h"

using namespace global;

namespace {

class MatchPicture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { started = start_still_game_in("match_picture", ZELVORANT_RUN_DIR); }
    void SetUp() override {
        NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
        ASSERT_TRUE(started) << "the game did not start";
        restart();
        players = MULTI;
        game_state = ON;
        menu_state = NONE;
        game_frame(true);
    }
    void TearDown() override {
        glfw2::set_mouse_wheel(0);
        camera[0] = 0, camera[1] = 0, camera[2] = -20;
        CDisplay::set_dim(1024, 600);
        restart();
        game_state = HIDDEN;
        menu_state = MAIN;
    }

    // Runs `steps` logic steps with a frame after each, `each_step` before each step; every `every`
    // frames (and at the end) the frame is compared with one drawn afresh. Returns the frames patched.
    std::size_t play(const std::string& what, int steps, int every,
                     const std::function<void(int)>& each_step) {
        const std::size_t patched = match_picture().patched_frames();
        for (int i = 1; i <= steps; ++i) {
            each_step(i);
            program_logic();
            const frame_pixels kept = game_frame(false);
            if (i % every != 0 && i != steps)
                continue;
            const frame_pixels fresh = game_frame(true);
            const std::string d = differences(kept, fresh);
            EXPECT_EQ(d, "") << what << ", step " << i;
            if (!d.empty())
                break;
        }
        return match_picture().patched_frames() - patched;
    }

    static bool started;
};
bool MatchPicture::started = false;

TEST_F(MatchPicture, QuietMatchIsPatchedExactly) {
    // Both stations turning, the blue one charging: they, their aims and the HUD's clocks move.
    apply_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    apply_station_command(RED_STATION, CMD_TURN_CCW_ON);
    const std::size_t noise_frames = match_picture().noise_panel_frames();
    const std::size_t patched = play("turning", 240, 4, [](int i) {
        if (i == 30)
            apply_station_command(BLUE_STATION, CMD_CHARGE);
        if (i == 90)
            apply_station_command(BLUE_STATION, CMD_DROP_CHARGE);
        // A blast at the blue station: the explosion, then the rising "HIT" label.
        if (i == 100) {
            static float light[4] = {1, 1, 1, 1};
            CParticle* e = new CParticle(station1->particle->pos.x, station1->particle->pos.y, 0.8f);
            e->set_gfx(set_texture("explosion"), light, ADD);
            e->type = EXP;
            e->set_anim(1, EXPLOSION_FRAMES, EXPLOSION_FRAME_STEPS);
        }
    });
    EXPECT_EQ(station1->shields, 90) << "the blast did not hit";
    // Every frame is a patch.
    EXPECT_GE(patched, 240u);
    // The noise panel's next frames went into the kept picture, not a whole new one.
    EXPECT_GE(match_picture().noise_panel_frames() - noise_frames, 5u);
}

TEST_F(MatchPicture, BattleStaysExact) {
    // Missiles, flares, trails, blasts and hit labels, from both sides, a station hit more than once.
    play("battle", 700, 5, [](int i) {
        if (i % 90 == 1) {
            station1->aim = 1.6f + 0.1f * (i % 3);
            apply_station_command(BLUE_STATION, CMD_CHARGE);
            station2->aim = -1.6f;
            apply_station_command(RED_STATION, CMD_CHARGE);
        }
        if (i % 90 == 40) {
            apply_station_command(BLUE_STATION, CMD_RELEASE);
            apply_station_command(RED_STATION, CMD_RELEASE);
        }
        if (i % 90 == 70)
            apply_station_command(RED_STATION, CMD_FLARE);
    });
    EXPECT_LT(station2->shields + station1->shields, 200) << "no station was hit";
}

TEST_F(MatchPicture, StationsUnderTheHudAndChangesBeyondTheMovingParts) {
    // The view moved so that the blue planet and its station sit under the left panels.
    camera[0] = 2, camera[1] = -7, camera[2] = -16;
    game_frame(true);
    apply_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    EXPECT_GE(play("under the HUD", 120, 3, [](int) {}), 60u);
    struct change {
        const char* name;
        std::function<void()> apply;
    };
    const change changes[] = {
        {"the zoom", [] { glfw2::set_mouse_wheel(3); }},
        {"a hull", [] { station2->shields -= 10; }},
        {"the missiles left", [] { station1->rockets -= 1; }},
        {"a smaller window", [] { CDisplay::set_dim(800, 500); }},
        {"the camera", [] { camera[0] -= 1; }},
        {"a planet's place", [] { planet2.pos.y += 0.5f; }},
        {"the shadow's tint", [] { shadow_1.gfx.colour[3] = 0.3f; }},
    };
    for (const change& c : changes)
        play(c.name, 3, 1, [&](int i) {
            if (i == 2)
                c.apply();
        });
    planet2.pos.y -= 0.5f;
    shadow_1.gfx.colour[3] = 1;
}

TEST_F(MatchPicture, RightPanelInALaterPatch) {
    // The red planet and its station under the right-hand panel, the blue station in a patch drawn
    // before it: the panel's box must not take a picture the patch before it left bound.
    camera[0] = 4, camera[1] = 1, camera[2] = -16;
    game_frame(true);
    apply_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    apply_station_command(RED_STATION, CMD_TURN_CW_ON);
    EXPECT_GE(play("under the right panel", 300, 3, [](int) {}), 150u);
}

}  // namespace
