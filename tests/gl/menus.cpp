// The five menus as built at start-up: layout in the interface's frame, looks, and use through the real
// input callbacks with the real pointer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/input/keyboard.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "game/ui/menus.h"
#include "game/ui/screen_flow.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/interface_frame.h"
#include "graphics/textures.h"
#include "interface/window.h"
#include "scratch_folder.h"
#include "started_game.h"
#include "tga_writer.h"
#include "x_pointer.h"

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 600;

struct button_row {
    std::string text;
    float x, y, w, h;
};

void expect_window(const CWindow* w, const std::string& title, float x, float y, float width, float height) {
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->title, title);
    EXPECT_FLOAT_EQ(w->x, x) << title;
    EXPECT_FLOAT_EQ(w->y, y) << title;
    EXPECT_FLOAT_EQ(w->w, width) << title;
    EXPECT_FLOAT_EQ(w->h, height) << title;
}

void expect_buttons(const CWindow* w, const std::vector<button_row>& rows) {
    ASSERT_EQ(w->buttons.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const CButton* b = w->buttons[i];
        EXPECT_EQ(b->title, rows[i].text) << "button " << i;
        EXPECT_FLOAT_EQ(b->x, rows[i].x) << rows[i].text;
        EXPECT_FLOAT_EQ(b->y, rows[i].y) << rows[i].text;
        EXPECT_FLOAT_EQ(b->w, rows[i].w) << rows[i].text;
        EXPECT_FLOAT_EQ(b->h, rows[i].h) << rows[i].text;
        EXPECT_FALSE(b->active);
        EXPECT_EQ(b->parent, w);
    }
}

void expect_set(const window_graphics& s, std::array<float, 4> fill, std::array<float, 4> text, bool outline,
                std::array<float, 4> line, int font) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(s.colour[i], fill[i]);
        EXPECT_FLOAT_EQ(s.f_colour[i], text[i]);
        EXPECT_FLOAT_EQ(s.o_colour[i], line[i]);
    }
    EXPECT_EQ(s.outline, outline);
    EXPECT_EQ(s.texture, -1);
    EXPECT_EQ(s.font, font);
    EXPECT_FLOAT_EQ(s.font_size, 30);
}

class Menus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open(WIDTH, HEIGHT));
        ASSERT_EQ(CDisplay::height(), HEIGHT);
        if (textures.find("font") == textures.end()) {
            rgba_image sheet(256, 256);
            for (auto& c : sheet.pixels)
                c = 255;
            const std::string path = scratch_dir("menus_font") + "/font.tga";
            ASSERT_TRUE(write_file(path, encode_tga(sheet)));
            load_texture(path, "font");
        }
        font = set_texture("font");
        global::options.restore();
    }
    void TearDown() override {
        free_menus();
        CActive::write(nullptr);
        CDisplay::set_dim(WIDTH, HEIGHT);
    }
    int font = -1;
};

}  // namespace

TEST_F(Menus, LayoutOnA1024By600Display) {
    build_menus();
    expect_window(global::pause_menu, "Pause Menu", 362, 112.5f, 300, 375);
    expect_window(global::diff_menu, "Choose difficulty", 362, 150, 300, 300);
    expect_window(global::main_menu, "", 0, 225, 300, 375);
    expect_window(global::options_menu, "", 100, 0, 600, 600);
    expect_window(global::howto_menu, "", 794, 30, 200, 50);

    expect_buttons(global::pause_menu, {{"Resume", 50, 275, 200, 50},
                                        {"New game", 50, 200, 200, 50},
                                        {"Options", 50, 125, 200, 50},
                                        {"Main menu", 50, 50, 200, 50}});
    // The choice of opponent sits in the free space under the three levels.
    expect_buttons(global::diff_menu, {{"Easy", 50, 200, 200, 50},
                                       {"Medium", 50, 125, 200, 50},
                                       {"Hard", 50, 50, 200, 50},
                                       {"Opponent: Classic", 10, 8, 280, 34}});
    expect_buttons(global::main_menu, {{"Singleplayer", 50, 275, 200, 50},
                                       {"Multiplayer", 50, 200, 200, 50},
                                       {"Options", 50, 125, 200, 50},
                                       {"How to play", 50, 50, 200, 50},
                                       {"Quit", 50, -25, 200, 50},
                                       {"Network game", 50, -100, 200, 50}});
    // Internet play beside the panel, and Watch under the address, its three buttons where they were.
    expect_buttons(global::network_menu, {{"Host", 50, 150, 200, 50},
                                          {"Join", 50, 85, 200, 50},
                                          {"Back", 50, 20, 200, 50},
                                          {"Host online", 320, 150, 200, 50},
                                          {"Join code", 320, 85, 200, 50},
                                          {"Watch", 75, 208, 150, 36}});
    expect_buttons(global::options_menu, {{"A", 25, 500, 100, 30},
                                          {"Q", 25, 450, 100, 30},
                                          {"D", 25, 400, 100, 30},
                                          {"F", 25, 350, 100, 30},
                                          {"KP_4", 150, 500, 100, 30},
                                          {"KP_7", 150, 450, 100, 30},
                                          {"KP_5", 150, 400, 100, 30},
                                          {"KP_6", 150, 350, 100, 30},
                                          {"Save", 300, 30, 100, 50},
                                          {"Cancel", 425, 30, 100, 50},
                                          {"<", 25, 230, 30, 30},
                                          {">", 225, 230, 30, 30},
                                          {"Fullscreen OFF", 25, 180, 230, 30},
                                          {"Sound ON", 25, 130, 230, 30},
                                          {"-", 25, 85, 30, 30},
                                          {"+", 225, 85, 30, 30},
                                          {"Unlimited FPS", 25, 40, 230, 30}});
    expect_buttons(global::howto_menu, {{"Main menu", 0, 0, 200, 50}});
}

TEST_F(Menus, OddSizesKeepHalfPixelsExceptForTheOptionsWindow) {
    CDisplay::set_dim(1025, 601);
    build_menus();
    expect_window(global::pause_menu, "Pause Menu", 362.5f, 113, 300, 375);
    expect_window(global::diff_menu, "Choose difficulty", 362.5f, 150.5f, 300, 300);
    expect_window(global::main_menu, "", 0, 226, 300, 375);
    expect_window(global::options_menu, "", 100, 0, 600, 600);  // 601 / 2 truncates to 300
    expect_window(global::howto_menu, "", 795, 30, 200, 50);
    free_menus();

    CDisplay::set_dim(800, 599);
    build_menus();
    expect_window(global::options_menu, "", 100, -1, 600, 600);
    expect_window(global::pause_menu, "Pause Menu", 250, 112, 300, 375);
}

TEST_F(Menus, TheGamesFrameKeepsTheLayoutWhateverTheWindow) {
    CInterfaceFrame::set_size(1024, 600);
    for (const auto& size : {std::pair{1920, 1080}, {800, 599}, {1025, 601}}) {
        CDisplay::set_dim(size.first, size.second);
        build_menus();
        expect_window(global::pause_menu, "Pause Menu", 362, 112.5f, 300, 375);
        expect_window(global::main_menu, "", 0, 225, 300, 375);
        expect_window(global::options_menu, "", 100, 0, 600, 600);
        expect_window(global::howto_menu, "", 794, 30, 200, 50);
        free_menus();
    }
    CInterfaceFrame::set_size(0, 0);
}

TEST_F(Menus, KeyButtonsAndToggleFollowTheOptionsAtStartUp) {
    global::options.blue_cw = 32;
    global::options.blue_secondary = -1;
    global::options.red_primary = 258;  // F1 has no name
    global::options.red_secondary = 318;
    global::options.fullscreen = true;
    global::settings.sound = false;
    build_menus();
    global::settings.restore();
    const std::vector<CButton*>& b = global::options_menu->buttons;
    ASSERT_EQ(b.size(), 17u);
    EXPECT_EQ(b[0]->title, "SPACE");
    EXPECT_EQ(b[3]->title, "???");
    EXPECT_EQ(b[6]->title, "???");
    EXPECT_EQ(b[7]->title, "KP_ENT");
    EXPECT_EQ(b[12]->title, "Fullscreen ON");
    EXPECT_EQ(b[13]->title, "Sound OFF");
}

TEST_F(Menus, LooksOfEveryWindow) {
    build_menus();
    const std::array<float, 4> grey_text{0.7f, 0.7f, 0.7f, 1}, white{1, 1, 1, 1};
    for (CWindow* w : {global::pause_menu, global::diff_menu}) {
        expect_set(w->window, {0, 0.1f, 0.2f, 0.4f}, grey_text, true, white, font);
        expect_set(w->active, {0, 0.1f, 0.2f, 0.4f}, grey_text, true, white, font);
    }
    for (CWindow* w : {global::main_menu, global::howto_menu, global::options_menu})
        expect_set(w->window, {0.1f, 0.1f, 0.2f, 0}, grey_text, false, white, font);
    for (CWindow* w : {global::main_menu, global::howto_menu})
        expect_set(w->active, {0.1f, 0.1f, 0.2f, 0}, grey_text, false, white, font);
    expect_set(global::options_menu->active, {0.1f, 0.1f, 0.2f, 0}, {0.8f, 0.8f, 1, 1}, true, white, font);
    for (CWindow* w : {global::pause_menu, global::diff_menu, global::main_menu, global::options_menu,
                       global::howto_menu}) {
        expect_set(w->normal, {0.2f, 0.2f, 0.2f, 0.5f}, {0.5f, 0.5f, 0.5f, 1}, true, {0.5f, 0.5f, 0.5f, 1},
                   font);
        expect_set(w->hover, {0.5f, 0.5f, 0.5f, 0.5f}, {1, 1, 1, 1}, true, white, font);
    }
}

TEST_F(Menus, QuitIsFoundBelowTheMainMenuWindow) {
    ASSERT_TRUE(x_pointer::ready());
    build_menus();
    // The window starts at y 225; Quit spans 200..250.
    x_pointer::move(150, 210, HEIGHT);
    EXPECT_EQ(global::main_menu->check(), 4);
    x_pointer::move(150, 260, HEIGHT);
    EXPECT_EQ(global::main_menu->check(), -1);
    x_pointer::move(150, 300, HEIGHT);
    EXPECT_EQ(global::main_menu->check(), 3);
    // Below Quit, the network game's entry.
    x_pointer::move(150, 150, HEIGHT);
    EXPECT_EQ(global::main_menu->check(), 5);
}

TEST_F(Menus, PauseMenuOnScreenWithAButtonUnderThePointer) {
    ASSERT_TRUE(x_pointer::ready());
    build_menus();
    // Resume spans x 412..612, y 387.5..437.5; New game 312.5..362.5.
    x_pointer::move(512, 420, HEIGHT);
    gl_window::begin_pixel_frame();
    global::pause_menu->draw();
    // Translucent fills over black: the panel (0, 0.1, 0.2) at 0.4, then the buttons at 0.5 over it.
    const auto hovered = gl_window::pixel(420, 395);
    const auto resting = gl_window::pixel(420, 320);
    const auto panel = gl_window::pixel(380, 250);
    EXPECT_TRUE(near_colour(hovered, {64, 69, 74, 255}, 4)) << describe(hovered);
    EXPECT_TRUE(near_colour(resting, {26, 31, 36, 255}, 4)) << describe(resting);
    EXPECT_TRUE(near_colour(panel, {0, 10, 20, 255}, 4)) << describe(panel);
    // White outline on the hovered button, grey on the resting one.
    EXPECT_TRUE(near_colour(gl_window::pixel(412, 420), {255, 255, 255, 255}, 4))
        << describe(gl_window::pixel(412, 420));
    EXPECT_TRUE(near_colour(gl_window::pixel(412, 340), {128, 128, 128, 255}, 4))
        << describe(gl_window::pixel(412, 340));
}

TEST_F(Menus, FocusMovesBetweenKeyButtonsThroughTheInputCallbacks) {
    ASSERT_TRUE(x_pointer::ready());
    global::CStation* saved1 = global::station1;
    global::CStation* saved2 = global::station2;
    CParticle body1(-3, 0, 0.5f), body2(3, 0, 0.5f);
    global::CStation s1(&body1, &global::planet1), s2(&body2, &global::planet2);
    global::station1 = &s1;
    global::station2 = &s2;
    const int saved_menu = global::menu_state, saved_game = global::game_state;
    global::menu_state = global::OPTIONS;
    global::game_state = global::HIDDEN;

    build_menus();
    const std::vector<CButton*>& b = global::options_menu->buttons;
    EXPECT_EQ(CActive::read(), nullptr);
    // Options window at (100, 0): blue "Turn clockwise" at 125..225 x 500..530.
    x_pointer::move(175, 515, HEIGHT);
    mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    EXPECT_EQ(CActive::read(), b[0]);
    EXPECT_TRUE(b[0]->active);

    // Red "Primary fire" at 250..350 x 400..430.
    x_pointer::move(300, 415, HEIGHT);
    mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    EXPECT_EQ(CActive::read(), b[6]);
    EXPECT_TRUE(b[6]->active);
    EXPECT_FALSE(b[0]->active);
    EXPECT_EQ(b[0]->title, "A");

    keyboard_callback('Z', glfw2::RELEASE);
    EXPECT_EQ(b[6]->title, "Z");
    EXPECT_FALSE(b[6]->active);
    EXPECT_EQ(CActive::read(), nullptr);
    for (size_t i = 0; i < b.size(); ++i)
        EXPECT_FALSE(b[i]->active) << i;

    global::station1 = saved1;
    global::station2 = saved2;
    global::menu_state = saved_menu;
    global::game_state = saved_game;
    particles.remove(&body1);
    particles.remove(&body2);
}
