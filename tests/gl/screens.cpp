// Every screen of the game with the real pictures, drawn by the real passes after a real start-up.
// The README shows them from docs/screenshots/: each committed picture must still match its fresh render.
// With ZELVORANT_WRITE_DOCS=1 the captures are written there instead.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "docs_pictures.h"
#include "frame_pixels.h"
#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/presentation.h"
#include "game/ui/menu_windows.h"
#include "game/ui/network_screen.h"
#include "gl_window.h"
#include "graphics/graphics.h"
#include "match_scene.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "tga_writer.h"
#include "x_session.h"

namespace fs = std::filesystem;
using namespace global;
using namespace docs_pictures;

namespace {

rgba_image capture;

void hud_and_capture() {
    gui_render();
    capture = framebuffer_image();
}

rgba_image draw(int game, int menu) {
    game_state = game;
    menu_state = menu;
    draw_frame(world_render, hud_and_capture, camera);
    return capture;
}

}  // namespace

TEST(Screens, EveryScreenAtTheDefaultSize) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
    const std::string dir = scratch_dir("screens");
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(dir) / "gfx");
    ASSERT_EQ(chdir(dir.c_str()), 0);
    glfw2::use_clock(leaping_clock);
    ::testing::internal::CaptureStdout();
    init_gfx();
    const int started = init();
    const std::string out = ::testing::internal::GetCapturedStdout();
    glfw2::use_clock(nullptr);
    ASSERT_EQ(started, 0);
    // Every picture was there (no "error" lines).
    ASSERT_EQ(out, "Setting up display...\tDONE\nLoading textures...\tDONE\n");
    ASSERT_EQ(CDisplay::width(), 1024);
    ASSERT_EQ(CDisplay::height(), 600);
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    // Keep the pointer away from the buttons so that none is drawn highlighted.
    x_session::point_on_screen(1270, 1010);
    fps = 60;

    std::vector<std::pair<std::string, rgba_image>> screens;
    screens.push_back({"title", draw(HIDDEN, MAIN)});
    screens.push_back({"options_from_title", draw(HIDDEN, OPTIONS)});
    presentation();
    screens.push_back({"how_to_play", draw(HIDDEN, INSTRUCTIONS)});
    restart();
    players = SINGLE;
    screens.push_back({"difficulty", draw(PAUSED, DIFF)});
    play_a_little();
    screens.push_back({"match", draw(ON, NONE)});
    screens.push_back({"pause_menu", draw(PAUSED, MAIN)});
    screens.push_back({"options_from_pause", draw(PAUSED, OPTIONS)});
    // Won against the computer, as a newcomer would see it.
    players = SINGLE;
    station2->shields = 0;
    game_state = ON;
    program_logic();
    ASSERT_EQ(game_state, ENDED);
    screens.push_back({"match_over", draw(ENDED, NONE)});
    // The network screen as a player with no rendezvous server set up sees it.
    run::clear_board();
    network_screen::open();
    screens.push_back({"network", draw(HIDDEN, NETWORK)});

    const bool write = std::getenv("ZELVORANT_WRITE_DOCS") != nullptr;
    for (const auto& [name, image] : screens) {
        EXPECT_EQ(image.width, 1024);
        EXPECT_EQ(image.height, 600);
        if (write) {
            write_docs(image, name);
            continue;
        }
        // A few pixels may round differently on another OpenGL; anything that a reader could see is not.
        const rgba_image committed = read_png(docs_picture(name), name);
        ASSERT_EQ(committed.width, image.width) << docs_picture(name) << " missing or of another size";
        ASSERT_EQ(committed.height, image.height) << docs_picture(name);
        EXPECT_LT(difference(image, committed), 0.001)
            << docs_picture(name) << " no longer matches the game; write the screenshots again (see README)";
    }
    // Each screen looks different from every other one.
    for (size_t i = 0; i < screens.size(); ++i)
        for (size_t j = i + 1; j < screens.size(); ++j)
            EXPECT_GT(difference(screens[i].second, screens[j].second), 0.005)
                << screens[i].first << " and " << screens[j].first << " look the same";
}
