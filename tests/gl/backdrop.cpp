// The backdrop layers are drawn once and then put back from a copy of the window, and so is the whole
// picture of every still screen. Every screen, and a match after zoom, window, camera, colour and
// picture changes, must come out exactly as drawing everything afresh gives it: equality of every pixel,
// no tolerance.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "frame_pixels.h"
#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/config/frame_rate.h"
#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/netplay/network_match.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/render/shown_frame.h"
#include "game/render/still_screen.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"
#include "game/sim/presentation.h"
#include "game/ui/menu_windows.h"
#include "gl_window.h"
#include "graphics/backdrop.h"
#include "graphics/graphics.h"
#include "interface/highlight.h"
#include "interface/window.h"
#include "match_scene.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "started_game.h"

namespace fs = std::filesystem;
using namespace global;

namespace {

// A change to what a picture is drawn from, and how to undo it.
struct change {
    const char* name;
    std::function<void()> apply;
    std::function<void()> undo;
};

class Backdrop : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { started = start_still_game_in("backdrop", ZELVORANT_RUN_DIR); }
    void SetUp() override {
        NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
        ASSERT_TRUE(started) << "the game did not start";
    }
    void TearDown() override {
        glfw2::set_mouse_wheel(0);
        restart();
        game_state = HIDDEN;
        menu_state = MAIN;
    }

    // After `change`, the next frame, whether it composes or puts back, equals a frame drawn afresh, and
    // a frame after that puts the copy back and equals it too. Returns the fresh picture.
    frame_pixels same_as_fresh(const std::string& what, const std::function<void()>& change) {
        change();
        const frame_pixels next = game_frame(false);
        const size_t composed = world_backdrop().compositions();
        const frame_pixels again = game_frame(false);
        EXPECT_EQ(world_backdrop().compositions(), composed) << what << ": the copy was not put back";
        const frame_pixels fresh = game_frame(true);
        EXPECT_EQ(differences(next, fresh), "") << what << ": the first frame after the change";
        EXPECT_EQ(differences(again, fresh), "") << what << ": the copy put back";
        return fresh;
    }

    // Each change shows on the screen, and undone, gives back the picture `before`; on a still screen the
    // picture stays kept throughout.
    void shows_and_undoes(const std::vector<change>& changes, const frame_pixels& before, bool still) {
        for (const change& c : changes) {
            const frame_pixels changed = same_as_fresh(c.name, c.apply);
            EXPECT_NE(differences(changed, before), "") << c.name << " changed nothing on the screen";
            const frame_pixels back = same_as_fresh(std::string(c.name) + ", undone", c.undo);
            EXPECT_EQ(differences(back, before), "") << c.name << ", undone";
            if (still) {
                EXPECT_TRUE(still_screen().kept()) << c.name;
            }
        }
    }

    static bool started;
};
bool Backdrop::started = false;

TEST_F(Backdrop, EveryScreenPutBackAsDrawn) {
    struct screen {
        const char* name;
        std::function<void()> show;
        bool still;
    };
    const std::vector<screen> screens = {
        {"title", [] { game_state = HIDDEN, menu_state = MAIN; }, true},
        {"options from the title", [] { game_state = HIDDEN, menu_state = OPTIONS; }, true},
        {"how to play", [] { presentation(), game_state = HIDDEN, menu_state = INSTRUCTIONS; }, true},
        {"difficulty", [] { restart(), players = SINGLE, game_state = PAUSED, menu_state = DIFF; }, true},
        {"match", [] { play_a_little(), menu_state = NONE; }, false},
        {"pause menu", [] { game_state = PAUSED, menu_state = MAIN; }, true},
        {"options from the pause menu", [] { game_state = PAUSED, menu_state = OPTIONS; }, true},
        {"match over",
         [] {
             station2->shields = 0;
             game_state = ON;
             menu_state = NONE;
             program_logic();
         },
         true},
    };
    std::vector<frame_pixels> seen;
    for (const screen& s : screens) {
        seen.push_back(same_as_fresh(s.name, s.show));
        EXPECT_EQ(still_screen().kept(), s.still) << s.name;
    }
    EXPECT_EQ(game_state, ENDED);
    // The screens differ from one another, so a stale copy would have shown.
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_NE(differences(seen[i - 1], seen[i]), "") << screens[i].name;
}

// A frame is taken as the one the window shows only while nothing it is drawn from has changed.
TEST_F(Backdrop, AFrameIsLeftAsShownOnlyWhileNothingItShowsChanged) {
    const auto drawn = [] {
        game_frame(false);
        shown_frame::drawn();
    };
    // Frames are left as shown only with a frame rate chosen.
    const int rate_before = settings.frame_rate;
    settings.frame_rate = 60;
    game_state = HIDDEN;
    menu_state = MAIN;
    drawn();
    EXPECT_TRUE(shown_frame::unchanged()) << "the title screen";
    const int fps_before = fps;
    fps = fps_before + 1;
    EXPECT_FALSE(shown_frame::unchanged()) << "a new frame rate";
    drawn();
    EXPECT_TRUE(shown_frame::unchanged());
    network_match::set_last_word("No answer from 192.0.2.1:24816");
    EXPECT_FALSE(shown_frame::unchanged()) << "a note";
    drawn();
    EXPECT_TRUE(shown_frame::unchanged());
    network_match::set_last_word("");
    menu_state = OPTIONS;
    EXPECT_FALSE(shown_frame::unchanged()) << "another screen";
    drawn();
    EXPECT_TRUE(shown_frame::unchanged());
    // The network screen moves by itself (its cursor blinks); back on the title it is drawn again once.
    menu_state = NETWORK;
    drawn();
    EXPECT_FALSE(shown_frame::unchanged()) << "the network screen";
    menu_state = MAIN;
    EXPECT_FALSE(shown_frame::unchanged()) << "the title after the network screen";
    drawn();
    EXPECT_TRUE(shown_frame::unchanged());
    // A match in play is never left as it was; paused, it is, until it runs on.
    play_a_little();
    menu_state = NONE;
    drawn();
    EXPECT_FALSE(shown_frame::unchanged()) << "a match in play";
    game_state = PAUSED;
    menu_state = MAIN;
    drawn();
    EXPECT_TRUE(shown_frame::unchanged()) << "the pause menu";
    game_state = ON;
    menu_state = NONE;
    program_logic();
    game_state = PAUSED;
    menu_state = MAIN;
    EXPECT_FALSE(shown_frame::unchanged()) << "a step run under the pause menu";
    settings.frame_rate = frame_rate::UNLIMITED;
    drawn();
    EXPECT_FALSE(shown_frame::unchanged()) << "unlimited";
    fps = fps_before;
    settings.frame_rate = rate_before;
}

TEST_F(Backdrop, APausedMatchStaysKeptWhileItsRecordingCountsTheSteps) {
    play_a_little();
    game_state = PAUSED;
    menu_state = MAIN;
    const frame_pixels paused = same_as_fresh("pause menu", [] {});
    ASSERT_TRUE(still_screen().kept());
    // The recorder counts the steps of a paused match, which draw nothing new: the copy is put back.
    for (int i = 0; i < 3; ++i) {
        match_clock::count_step();
        EXPECT_TRUE(still_screen().kept()) << "after a paused step " << i;
        EXPECT_EQ(differences(game_frame(false), paused), "");
    }
}

TEST_F(Backdrop, ZoomedMatchPutBackAsDrawn) {
    play_a_little();
    menu_state = NONE;
    frame_pixels last = same_as_fresh("no zoom", [] {});
    // In, further in, past the near limit (held at it), out, past the far limit, and back.
    int held = 0;
    for (int wheel : {3, 9, 14, 8, -2, -6, -11, 0}) {
        const frame_pixels now =
            same_as_fresh("wheel at " + std::to_string(wheel), [&] { glfw2::set_mouse_wheel(wheel); });
        const int zoom = std::max(-6, std::min(9, wheel));
        if (zoom != held) {
            EXPECT_NE(differences(now, last), "") << "wheel at " << wheel << " looks like the zoom before";
        }
        held = zoom;
        last = now;
    }
}

TEST_F(Backdrop, EverythingTheLayersDependOnTakesANewCopy) {
    play_a_little();
    menu_state = NONE;
    frame_pixels before = same_as_fresh("a match", [] {});
    float old_camera[3] = {camera[0], camera[1], camera[2]};
    const std::vector<change> changes = {
        {"a smaller window", [] { CDisplay::set_dim(800, 500); }, [] { CDisplay::set_dim(1024, 600); }},
        {"the camera", [] { camera[0] += 1.5f, camera[2] -= 2; },
         [&] { camera[0] = old_camera[0], camera[2] = old_camera[2]; }},
        {"the star's place", [] { star.pos.x -= 3; }, [] { star.pos.x += 3; }},
        {"the clouds' tint", [] { clouds.gfx.colour[1] = 0.3f; }, [] { clouds.gfx.colour[1] = 1; }},
        {"the clouds' turn", [] { clouds.ang_pos = 0.5f; }, [] { clouds.ang_pos = 0; }},
        {"the sky's picture",
         [] { load_texture("gfx/clouds.tga", static_cast<unsigned>(background.gfx.texture)); },
         [] { load_texture("gfx/starfield.tga", static_cast<unsigned>(background.gfx.texture)); }},
    };
    shows_and_undoes(changes, before, false);
    // The sky hides the clear colour; made see-through it lets it show.
    const frame_pixels see_through =
        same_as_fresh("a see-through sky", [] { background.gfx.colour[3] = 0.5f; });
    const frame_pixels coloured =
        same_as_fresh("the clear colour", [] { glClearColor(0.2f, 0.1f, 0.4f, 1); });
    EXPECT_NE(differences(coloured, see_through), "") << "the clear colour changed nothing on the screen";
    same_as_fresh("the sky and clear colour as they were", [] {
        background.gfx.colour[3] = 1;
        glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    });
}

// On every still screen, whatever its picture is drawn from takes a new copy: the board, the HUD's
// clocks, the window, the camera, the pictures, the menu and the settings the options screen shows.
TEST_F(Backdrop, StillScreenEverythingItDependsOnTakesANewCopy) {
    play_a_little();
    game_state = PAUSED;
    menu_state = MAIN;
    float old_camera[3] = {camera[0], camera[1], camera[2]};
    const std::vector<change> over_board = {
        {"a station's hull", [] { station1->shields -= 3; }, [] { station1->shields += 3; }},
        {"a particle's place", [] { particles.back()->pos.x += 1; }, [] { particles.back()->pos.x -= 1; }},
        {"the HUD's pulse", [] { counter += 100; }, [] { counter -= 100; }},
        {"a smaller window", [] { CDisplay::set_dim(800, 500); }, [] { CDisplay::set_dim(1024, 600); }},
        {"the camera", [] { camera[0] += 1.5f; }, [&] { camera[0] = old_camera[0]; }},
        {"the zoom", [] { glfw2::set_mouse_wheel(4); }, [] { glfw2::set_mouse_wheel(0); }},
        {"the highlighted button", [] { CHighlight::set(pause_menu, 1); }, [] { CHighlight::clear(); }},
        {"a button waiting for a key", [] { pause_menu->buttons[0]->active = true; },
         [] { pause_menu->buttons[0]->active = false; }},
        {"the menu shown", [] { menu_state = OPTIONS; }, [] { menu_state = MAIN; }},
    };
    const std::vector<change> on_title = {
        {"the planet's tint", [] { menu_planet1.colour[0] = 0.2f; }, [] { menu_planet1.colour[0] = 1; }},
        {"the sky's place", [] { background.pos.x += 2; }, [] { background.pos.x -= 2; }},
        {"a smaller window", [] { CDisplay::set_dim(800, 500); }, [] { CDisplay::set_dim(1024, 600); }},
        {"the highlighted button", [] { CHighlight::set(main_menu, 2); }, [] { CHighlight::clear(); }},
        {"a button's text", [] { main_menu->buttons[0]->title += "!"; },
         [] { main_menu->buttons[0]->title.pop_back(); }},
        {"the logo's picture", [] { load_texture("gfx/clouds.tga", static_cast<unsigned>(logo.texture)); },
         [] { load_texture("gfx/logo.tga", static_cast<unsigned>(logo.texture)); }},
    };
    const int old_width = options.width;
    const std::string first_key = options_menu->buttons[0]->title;
    const std::vector<change> on_options = {
        {"the resolution", [] { options.width = 1280; }, [&] { options.width = old_width; }},
        {"the volume", [] { settings.volume -= 1; }, [] { settings.volume += 1; }},
        {"a key shared by two actions",
         [] { options_menu->buttons[0]->title = options_menu->buttons[1]->title; },
         [&] { options_menu->buttons[0]->title = first_key; }},
        {"a key button waiting for a key", [] { options_menu->buttons[2]->active = true; },
         [] { options_menu->buttons[2]->active = false; }},
        {"the highlighted button", [] { CHighlight::set(options_menu, 4); }, [] { CHighlight::clear(); }},
    };
    const std::vector<change> match_over = {
        {"the zoom", [] { glfw2::set_mouse_wheel(4); }, [] { glfw2::set_mouse_wheel(0); }},
        {"the winner", [] { station1->shields = 0; }, [] { station1->shields = 50; }},
    };
    for (const auto* changes : {&over_board, &on_title, &on_options, &match_over}) {
        if (changes == &on_title)
            restart(), game_state = HIDDEN, menu_state = MAIN;
        if (changes == &on_options)
            game_state = PAUSED, menu_state = OPTIONS;
        if (changes == &match_over)
            restart(), station1->shields = 50, station2->shields = 0, game_state = ENDED, menu_state = NONE;
        const frame_pixels before = same_as_fresh("before", [] {});
        ASSERT_TRUE(still_screen().kept());
        shows_and_undoes(*changes, before, true);
    }
}

}  // namespace
