#include "every_screen.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
#include "game/ui/network_screen.h"
#include "gl_window.h"
#include "graphics/graphics.h"
#include "match_scene.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "x_session.h"

namespace {

using namespace global;

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

// The default keys, windowed, at the size asked for.
void write_conf(int width, int height) {
    std::ofstream("conf") << "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 "
                             "red_ccw\n307 red_primary\n308 red_secondary\n"
                          << width << " " << height << "\n0";
}

bool start(const std::string& name, const std::string& run_dir, int width, int height) {
    namespace fs = std::filesystem;
    const std::string dir = scratch_dir(name);
    fs::create_directory_symlink(fs::path(run_dir) / "gfx", fs::path(dir) / "gfx");
    EXPECT_EQ(chdir(dir.c_str()), 0);
    write_conf(width, height);
    glfw2::use_clock(leaping_clock);
    ::testing::internal::CaptureStdout();
    init_gfx();
    const int started = init();
    const std::string out = ::testing::internal::GetCapturedStdout();
    glfw2::use_clock(nullptr);
    EXPECT_EQ(started, 0);
    // Every picture was there (no "error" lines).
    EXPECT_EQ(out, "Setting up display...\tDONE\nLoading textures...\tDONE\n");
    EXPECT_EQ(CDisplay::width(), width);
    EXPECT_EQ(CDisplay::height(), height);
    return started == 0 && CDisplay::width() == width && CDisplay::height() == height;
}

}  // namespace

std::vector<std::pair<std::string, rgba_image>> draw_every_screen(const std::string& name,
                                                                  const std::string& run_dir, int width,
                                                                  int height) {
    if (!start(name, run_dir, width, height))
        return {};
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
    EXPECT_EQ(game_state, ENDED);
    screens.push_back({"match_over", draw(ENDED, NONE)});
    // The network screen as a player with no rendezvous server set up sees it.
    run::clear_board();
    network_screen::open();
    screens.push_back({"network", draw(HIDDEN, NETWORK)});
    return screens;
}
