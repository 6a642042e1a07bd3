#include "started_game.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "game/app/startup.h"
#include "game/render/hud_images.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "interface/window.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "x_session.h"

bool start_game_in(const std::string& name, const std::string& run_dir) {
    namespace fs = std::filesystem;
    if (std::getenv("DISPLAY") == nullptr)
        return false;
    const std::string dir = scratch_dir(name);
    fs::create_directory_symlink(fs::path(run_dir) / "gfx", fs::path(dir) / "gfx");
    if (chdir(dir.c_str()) != 0)
        return false;
    glfw2::use_clock(leaping_clock);
    ::testing::internal::CaptureStdout();
    init_gfx();
    const bool started = init() == 0;
    ::testing::internal::GetCapturedStdout();
    glfw2::use_clock(nullptr);
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    return started;
}

bool start_still_game_in(const std::string& name, const std::string& run_dir) {
    if (!start_game_in(name, run_dir))
        return false;
    x_session::point_on_screen(1270, 1010);
    global::fps = 60;
    return true;
}

void free_menus() {
    for (CWindow** w : {&global::pause_menu, &global::diff_menu, &global::main_menu, &global::options_menu,
                        &global::howto_menu, &global::network_menu}) {
        if (*w == nullptr)
            continue;
        for (CButton* b : (*w)->buttons)
            delete b;
        delete *w;
        *w = nullptr;
    }
}
