// Every screen of the game with the real pictures, drawn by the real passes after a real start-up.
// With ZELVORANT_WRITE_DOCS=1 the captures are also written to docs/screenshots/ as PNG files.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/global.h"
#include "game/logic.h"
#include "game/main_loop.h"
#include "game/presentation.h"
#include "game/render_hud.h"
#include "game/render_world.h"
#include "game/startup.h"
#include "gl_window.h"
#include "graphics/graphics.h"
#include "match_scene.h"
#include "platform/glfw2.h"
#include "tga_writer.h"

namespace fs = std::filesystem;
using namespace global;

namespace {

rgba_image capture;

void hud_and_capture() {
    gui_render();
    const int W = CDisplay::width(), H = CDisplay::height();
    std::vector<unsigned char> rows(static_cast<size_t>(W) * H * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    capture = rgba_image(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const unsigned char* p = &rows[(static_cast<size_t>(H - 1 - y) * W + x) * 4];
            uint8_t* q = capture.at(x, y);
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
            q[3] = 255;
        }
}

rgba_image draw(int game, int menu) {
    game_state = game;
    menu_state = menu;
    draw_frame(world_render, hud_and_capture, camera);
    return capture;
}

void keep(const rgba_image& image, const std::string& name) {
    if (std::getenv("ZELVORANT_WRITE_DOCS") == nullptr)
        return;
    const fs::path docs = fs::path(ZELVORANT_SOURCE_DIR) / "docs" / "screenshots";
    fs::create_directories(docs);
    // PPM rows run from the top, like the capture.
    const std::string ppm = (fs::current_path() / (name + ".ppm")).string();
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << image.width << " " << image.height << "\n255\n";
        for (size_t i = 0; i < image.pixels.size(); i += 4)
            out.write(reinterpret_cast<const char*>(&image.pixels[i]), 3);
        ASSERT_TRUE(out.good());
    }
    const std::string command = "convert '" + ppm + "' '" + (docs / (name + ".png")).string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Share of pixels that differ clearly between two captures.
double difference(const rgba_image& a, const rgba_image& b) {
    long n = 0;
    for (size_t i = 0; i < a.pixels.size(); i += 4) {
        const int d = std::abs(a.pixels[i] - b.pixels[i]) + std::abs(a.pixels[i + 1] - b.pixels[i + 1]) +
                      std::abs(a.pixels[i + 2] - b.pixels[i + 2]);
        n += d > 30;
    }
    return static_cast<double>(n) / (a.pixels.size() / 4);
}

TEST(Screens, EveryScreenAtTheDefaultSize) {
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no display";
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
    std::system("xdotool mousemove 1270 1010");
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
    station2->shields = 0;
    game_state = ON;
    program_logic();
    ASSERT_EQ(game_state, ENDED);
    screens.push_back({"match_over", draw(ENDED, NONE)});

    for (const auto& [name, image] : screens) {
        EXPECT_EQ(image.width, 1024);
        EXPECT_EQ(image.height, 600);
        keep(image, name);
    }
    // Each screen looks different from every other one.
    for (size_t i = 0; i < screens.size(); ++i)
        for (size_t j = i + 1; j < screens.size(); ++j)
            EXPECT_GT(difference(screens[i].second, screens[j].second), 0.005)
                << screens[i].first << " and " << screens[j].first << " look the same";
}

}  // namespace
