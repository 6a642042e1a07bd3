// Pads in the real game: start-up with the painted pictures, then a scripted pad source in place of GLFW's
// joysticks, read by the real poll and acted on by the real callbacks, logic step and HUD pass. Also the
// mapping file through GLFW itself.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "frame_pixels.h"
#include "game/app/startup.h"
#include "game/config/menu_buttons.h"
#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/input/keyboard.h"
#include "game/input/pad_input.h"
#include "game/input/pad_mappings.h"
#include "game/input/pad_menu.h"
#include "game/render/key_list.h"
#include "game/render/render_hud.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/presentation.h"
#include "game/ui/menu_windows.h"
#include "game/ui/screen_flow.h"
#include "gl_window.h"
#include "graphics/graphics.h"
#include "interface/highlight.h"
#include "interface/window.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "platform/pads.h"
#include "scratch_folder.h"
#include "started_game.h"
#include "tga_writer.h"
#include "x_pointer.h"

namespace fs = std::filesystem;
using namespace global;
using glfw2::pad_state;

namespace {

// The scripted pads: an empty slot is a pad not connected.
std::array<std::optional<pad_state>, glfw2::MAX_PADS> script;

bool scripted_pad(int id, pad_state& state) {
    if (!script[id])
        return false;
    state = *script[id];
    return true;
}

pad_state& plug(int id, const std::string& name = "Scripted pad") {
    script[id] = pad_state();
    script[id]->name = name;
    return *script[id];
}

void unplug(int id) {
    script[id].reset();
}

// Holds or lets go of a button and lets the game read the pads, as the main loop does after a frame.
void hold(int id, glfw2::pad_button button, bool down) {
    script[id]->buttons[button] = down;
    poll_pads();
}

void tap(int id, glfw2::pad_button button) {
    hold(id, button, true);
    hold(id, button, false);
}

void lean(int id, glfw2::pad_axis axis, float value) {
    script[id]->axes[axis] = value;
    poll_pads();
}

bool started = false;

class StartedGame : public ::testing::Environment {
  public:
    void SetUp() override {
        started = start_game_in("pads", ZELVORANT_RUN_DIR);
        glfw2::use_pad_reader(scripted_pad);
        started = started && x_pointer::ready();
    }
};

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new StartedGame);

class Pads : public ::testing::Test {
  protected:
    void SetUp() override {
        NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
        ASSERT_TRUE(started);
        for (int id = 0; id < glfw2::MAX_PADS; ++id)
            unplug(id);
        poll_pads();
        // A right click hands the menus back to the mouse and does nothing else.
        pointer_button(glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS);
        x_pointer::move_top_left(1020, 5);
        settings.restore();
        options.restore();
        options.to_menu(options_menu);
        fresh(ON, NONE, MULTI);
    }
    void fresh(int game, int menu, int who) {
        restart();
        players = who;
        difficulty = MEDIUM;
        game_state = game;
        menu_state = menu;
    }
};

int rockets_in_flight() {
    int n = 0;
    for (CParticle* p : particles)
        n += p->type == ROCKET;
    return n;
}

float last_rocket_speed() {
    float speed = -1;
    for (CParticle* p : particles)
        if (p->type == ROCKET)
            speed = p->vel.len();
    return speed;
}

void steps(int n) {
    for (int i = 0; i < n; ++i)
        program_logic();
}

// The screen as the HUD pass draws it, read back.
rgba_image hud_capture() {
    const int W = CDisplay::width(), H = CDisplay::height();
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, W, 0, H, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gui_render();
    return framebuffer_image();
}

// Pixels that differ clearly inside a rectangle given in drawing coordinates (origin lower left).
int differing(rgba_image a, rgba_image b, int left, int bottom, int width, int height) {
    int n = 0;
    for (int y = bottom; y < bottom + height; ++y)
        for (int x = left; x < left + width; ++x) {
            const uint8_t* p = a.at(x, a.height - 1 - y);
            const uint8_t* q = b.at(x, b.height - 1 - y);
            n += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 30;
        }
    return n;
}

// A picture to look at, beside the test's other files.
void keep_png(const rgba_image& image, const std::string& name) {
    write_file(name + ".tga", encode_tga(image, tga_layout::bgra_top_down));
    std::system(("convert " + name + ".tga " + name + ".png").c_str());
}

}  // namespace

TEST_F(Pads, ChargeFiresAsTheKeyboardsDoesForTheSameHoldTime) {
    // 130 steps: the station fires by itself at full charge (125) and the release fires nothing.
    for (int held : {1, 30, 50, 100, 130}) {
        keyboard_callback('D', glfw2::PRESS);
        steps(held);
        keyboard_callback('D', glfw2::RELEASE);
        ASSERT_EQ(rockets_in_flight(), 1) << held;
        const float by_key = last_rocket_speed();

        for (bool trigger : {false, true}) {
            fresh(ON, NONE, MULTI);
            plug(0);
            if (trigger)
                lean(0, glfw2::PAD_RIGHT_TRIGGER, 1.0f);
            else
                hold(0, glfw2::PAD_SOUTH, true);
            steps(held);
            if (trigger)
                lean(0, glfw2::PAD_RIGHT_TRIGGER, -1.0f);
            else
                hold(0, glfw2::PAD_SOUTH, false);
            ASSERT_EQ(rockets_in_flight(), 1) << held << (trigger ? " trigger" : " south");
            EXPECT_EQ(last_rocket_speed(), by_key) << held << (trigger ? " trigger" : " south");
            EXPECT_EQ(station1->rockets, 9);
            EXPECT_FALSE(station1->loading);
        }
        fresh(ON, NONE, MULTI);
    }
}

TEST_F(Pads, FlareAndTurnsFromButtonsTriggerAndDpad) {
    plug(0);
    tap(0, glfw2::PAD_EAST);
    EXPECT_EQ(station1->flares, 4);
    lean(0, glfw2::PAD_LEFT_TRIGGER, 0.6f);
    lean(0, glfw2::PAD_LEFT_TRIGGER, -1.0f);
    EXPECT_EQ(station1->flares, 3);
    // A trigger barely touched throws nothing.
    lean(0, glfw2::PAD_LEFT_TRIGGER, -0.2f);
    EXPECT_EQ(station1->flares, 3);

    hold(0, glfw2::PAD_RIGHT, true);
    EXPECT_TRUE(station1->cw);
    hold(0, glfw2::PAD_RIGHT, false);
    EXPECT_FALSE(station1->cw);
    hold(0, glfw2::PAD_LEFT, true);
    EXPECT_TRUE(station1->ccw);
    const float aim = station1->aim;
    steps(10);
    EXPECT_NEAR(station1->aim, aim + 0.3f, 1e-4);
    hold(0, glfw2::PAD_LEFT, false);
    EXPECT_FALSE(station1->ccw);
}

TEST_F(Pads, TheStickTurnsOnlyPastTheDeadZone) {
    plug(0);
    const std::pair<float, int> readings[] = {{0.2f, 0},   {0.3f, 1},    {0.9f, 1}, {0.1f, 0},
                                              {-0.24f, 0}, {-0.26f, -1}, {0, 0}};
    for (const auto& [x, turn] : readings) {
        lean(0, glfw2::PAD_LEFT_X, x);
        EXPECT_EQ(station1->cw, turn == 1) << x;
        EXPECT_EQ(station1->ccw, turn == -1) << x;
    }
    // A wider dead zone from the settings.
    settings.pad_dead_zone = 0.5f;
    lean(0, glfw2::PAD_LEFT_X, 0.45f);
    EXPECT_FALSE(station1->cw);
    lean(0, glfw2::PAD_LEFT_X, 0.55f);
    EXPECT_TRUE(station1->cw);
    lean(0, glfw2::PAD_LEFT_X, 0);
    // The vertical axis does not steer.
    lean(0, glfw2::PAD_LEFT_Y, 1.0f);
    EXPECT_FALSE(station1->cw || station1->ccw);
}

TEST_F(Pads, TwoPadsDriveBothStationsAndTheKeyboardStillWorks) {
    plug(0, "first");
    plug(1, "second");
    hold(0, glfw2::PAD_SOUTH, true);
    hold(1, glfw2::PAD_SOUTH, true);
    EXPECT_TRUE(station1->loading);
    EXPECT_TRUE(station2->loading);
    hold(1, glfw2::PAD_SOUTH, false);
    EXPECT_EQ(station2->rockets, 9);
    EXPECT_TRUE(station1->loading);
    hold(0, glfw2::PAD_SOUTH, false);
    EXPECT_EQ(station1->rockets, 9);
    // The red keys go on steering red next to the pads.
    keyboard_callback(options.red_cw, glfw2::PRESS);
    EXPECT_TRUE(station2->cw);
    keyboard_callback(options.red_cw, glfw2::RELEASE);

    // Swapped in the settings, the first pad drives red.
    settings.pads_swapped = true;
    tap(0, glfw2::PAD_EAST);
    EXPECT_EQ(station2->flares, 4);
    EXPECT_EQ(station1->flares, 5);

    // In single-player every pad drives blue and red stays the computer's.
    settings.pads_swapped = false;
    fresh(ON, NONE, SINGLE);
    tap(1, glfw2::PAD_EAST);
    tap(0, glfw2::PAD_EAST);
    EXPECT_EQ(station1->flares, 3);
    EXPECT_EQ(station2->flares, 5);
}

TEST_F(Pads, APadPluggedInDuringAMatchIsTakenAtOnce) {
    plug(0);
    poll_pads();
    plug(1);
    hold(1, glfw2::PAD_SOUTH, true);
    EXPECT_TRUE(station2->loading);
    // A third pad waits, and takes red when the red pad goes.
    plug(2);
    tap(2, glfw2::PAD_EAST);
    EXPECT_EQ(station2->flares, 5);
    unplug(1);
    poll_pads();
    tap(2, glfw2::PAD_EAST);
    EXPECT_EQ(station2->flares, 4);
}

TEST_F(Pads, UnpluggingWhileChargingFiresNothing) {
    plug(0);
    plug(1);
    hold(0, glfw2::PAD_SOUTH, true);
    hold(0, glfw2::PAD_RIGHT, true);
    steps(60);
    EXPECT_GT(station1->loaded, 1.0f);
    unplug(0);
    poll_pads();
    EXPECT_FALSE(station1->loading);
    EXPECT_EQ(station1->loaded, 0);
    EXPECT_FALSE(station1->cw);
    // Not now, not later at full charge.
    steps(200);
    EXPECT_EQ(rockets_in_flight(), 0);
    EXPECT_EQ(station1->rockets, 10);

    // The other pad's charge is its own: it still fires.
    hold(1, glfw2::PAD_SOUTH, true);
    steps(20);
    hold(1, glfw2::PAD_SOUTH, false);
    EXPECT_EQ(rockets_in_flight(), 1);
}

TEST_F(Pads, StartPausesStartOrSouthStartsTheNextMatchEastActsAsEscape) {
    plug(0);
    tap(0, glfw2::PAD_START);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_EQ(menu_state, MAIN);
    tap(0, glfw2::PAD_EAST);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);

    for (glfw2::pad_button next : {glfw2::PAD_START, glfw2::PAD_SOUTH}) {
        station2->shields = 0;
        program_logic();
        ASSERT_EQ(game_state, ENDED);
        tap(0, next);
        EXPECT_EQ(game_state, ON) << next;
        EXPECT_EQ(station2->shields, 100) << next;
        EXPECT_EQ(players, MULTI) << next;
        // The press that started the match charges nothing.
        EXPECT_FALSE(station1->loading) << next;
        EXPECT_EQ(rockets_in_flight(), 0) << next;
    }
    // Start pauses even when Escape is bound to a station action.
    options.blue_primary = glfw2::KEY_ESC;
    tap(0, glfw2::PAD_START);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_FALSE(station1->loading);

    // East leaves the how-to-play scene as Escape does.
    fresh(HIDDEN, MAIN, MULTI);
    presentation();
    menu_state = INSTRUCTIONS;
    tap(0, glfw2::PAD_EAST);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(menu_state, MAIN);
    EXPECT_EQ(particles.size(), 9u);
}

// The how-to-play scene and the pause menu say what a pad does while one is connected, in the lower
// left under the specified texts; nothing else on them changes.
TEST_F(Pads, HowToPlayAndPauseSayWhatAPadDoesWhileOneIsConnected) {
    const int screens[][3] = {{HIDDEN, INSTRUCTIONS, MULTI}, {PAUSED, MAIN, SINGLE}};
    for (const auto& s : screens) {
        fresh(s[0], s[1], s[2]);
        const rgba_image without = hud_capture();
        EXPECT_TRUE(pad_key_lines().empty());
        plug(0);
        poll_pads();
        const rgba_image with = hud_capture();
        EXPECT_EQ(pad_key_lines().size(), 2u);
        EXPECT_GT(differing(with, without, 25, 30, 720, 50), 1000) << s[1];
        EXPECT_EQ(differing(with, without, 0, 80, 1024, 520), 0) << s[1];
        EXPECT_EQ(differing(with, without, 740, 0, 284, 80), 0) << s[1];
        keep_png(with, s[1] == MAIN ? "pause_with_pad" : "how_to_play_with_pad");
        unplug(0);
        poll_pads();
    }
}

// Where a press on button `index` of the menu shown in screen (game, menu) leads.
struct screen_after {
    int game, menu, who, level;
    std::string fullscreen;
    bool waiting;
    bool sound;
    int volume;
    bool operator==(const screen_after& o) const {
        return game == o.game && menu == o.menu && who == o.who && level == o.level &&
               fullscreen == o.fullscreen && waiting == o.waiting && sound == o.sound && volume == o.volume;
    }
};

screen_after now_showing() {
    const bool waiting = CActive::read() != nullptr;
    if (waiting) {
        CActive::read()->active = false;
        CActive::write(nullptr);
    }
    return {game_state, menu_state,     players,        difficulty, options_menu->buttons[12]->title,
            waiting,    settings.sound, settings.volume};
}

TEST_F(Pads, MenusWalkedAndPressedByPadReachTheSameScreensAsClicks) {
    struct menu_case {
        int game, menu, who;
        CWindow* window;
    };
    const menu_case menus[] = {
        {HIDDEN, MAIN, MULTI, main_menu},          {PAUSED, MAIN, SINGLE, pause_menu},
        {ENDED, MAIN, MULTI, pause_menu},          {PAUSED, DIFF, SINGLE, diff_menu},
        {HIDDEN, INSTRUCTIONS, MULTI, howto_menu}, {PAUSED, OPTIONS, MULTI, options_menu},
        {HIDDEN, OPTIONS, SINGLE, options_menu}};
    plug(3);
    poll_pads();
    int compared = 0;
    for (const menu_case& m : menus) {
        const int count = static_cast<int>(m.window->buttons.size());
        for (int index = 0; index < count; ++index) {
            // By mouse: the real pointer over the button and the window's click callback.
            fresh(m.game, m.menu, m.who);
            CButton* b = m.window->buttons[index];
            x_pointer::move_to(m.window->x + b->x + b->w / 2, m.window->y + b->y + b->h / 2);
            poll_pads();
            ASSERT_EQ(m.window->check(), index);
            pointer_button(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
            const screen_after clicked = now_showing();
            options.restore();
            options.to_menu(options_menu);
            settings.restore();

            // By pad, from wherever the pointer rests: down to the button (up for the second half), south.
            fresh(m.game, m.menu, m.who);
            x_pointer::move_top_left(1020, 5);
            pointer_button(glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS);
            const bool upwards = index >= count / 2;
            const int moves = upwards ? count - index : index + 1;
            for (int i = 0; i < moves; ++i)
                tap(3, upwards ? glfw2::PAD_UP : glfw2::PAD_DOWN);
            ASSERT_EQ(m.window->check(), index);
            tap(3, glfw2::PAD_SOUTH);
            EXPECT_EQ(now_showing(), clicked) << m.window->title << " button " << index;
            options.restore();
            options.to_menu(options_menu);
            settings.restore();
            ++compared;
        }
    }
    EXPECT_EQ(compared, 6 + 4 + 4 + 4 + 1 + 17 + 17);  // the title menu with its Network game
}

TEST_F(Pads, TheHighlightLooksAsTheHoverDoesAndTheMouseTakesItBack) {
    fresh(HIDDEN, MAIN, MULTI);
    const rgba_image untouched = hud_capture();
    // Reading no pad, or a pad left alone, changes nothing on any menu.
    poll_pads();
    plug(0);
    poll_pads();
    EXPECT_EQ(differing(hud_capture(), untouched, 0, 0, 1024, 600), 0);
    EXPECT_EQ(CHighlight::window(), nullptr);

    CButton* multi = main_menu->buttons[1];
    const int bx = static_cast<int>(main_menu->x + multi->x), by = static_cast<int>(main_menu->y + multi->y);
    x_pointer::move_to(bx + 20, by + 20);
    const rgba_image hovered = hud_capture();
    ASSERT_GT(differing(hovered, untouched, bx, by, 200, 50), 500);

    x_pointer::move_top_left(1020, 5);
    tap(0, glfw2::PAD_DOWN);
    tap(0, glfw2::PAD_DOWN);
    const rgba_image highlighted = hud_capture();
    EXPECT_EQ(differing(highlighted, hovered, 0, 0, 1024, 600), 0);
    keep_png(highlighted, "title_highlight");

    // The mouse moves: the highlight goes and the pointer's button shows.
    x_pointer::move_to(bx + 20, by + 90);
    poll_pads();
    EXPECT_EQ(CHighlight::window(), nullptr);
    EXPECT_EQ(main_menu->check(), 0);
    // Back to the pad, which resumes from the first button; a click acts under the pointer, not on it.
    tap(0, glfw2::PAD_DOWN);
    tap(0, glfw2::PAD_DOWN);
    tap(0, glfw2::PAD_DOWN);
    EXPECT_EQ(main_menu->check(), 2);
    x_pointer::move_to(bx + 20, by + 20);
    pointer_button(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);
}

TEST_F(Pads, OptionsListThePadsAndMarkSharedKeysWithoutMovingAnything) {
    fresh(HIDDEN, OPTIONS, MULTI);
    const rgba_image plain = hud_capture();
    const int ox = static_cast<int>(options_menu->x), oy = static_cast<int>(options_menu->y);

    plug(0, "Xbox 360 Controller");
    plug(1, "Sony Interactive Entertainment Wireless Controller");
    poll_pads();
    const rgba_image listed = hud_capture();
    keep_png(listed, "options_pads");
    // The list sits in the right column's free space; nothing else on the screen changes.
    EXPECT_GT(differing(listed, plain, ox + 300, oy + 100, 290, 130), 1000);
    EXPECT_EQ(differing(listed, plain, 0, 0, ox + 295, 600), 0);
    EXPECT_EQ(differing(listed, plain, ox + 295, oy + 232, 1024 - ox - 295, 600 - oy - 232), 0);
    EXPECT_EQ(differing(listed, plain, ox + 295, 0, 1024 - ox - 295, oy + 95), 0);

    // Red primary on blue primary's key: both buttons are tinted, no other.
    unplug(0);
    unplug(1);
    poll_pads();
    options_menu->buttons[6]->title = "D";
    const rgba_image clash = hud_capture();
    keep_png(clash, "options_clash");
    for (int i = 0; i < 8; ++i) {
        const CButton* b = options_menu->buttons[i];
        const int changed =
            differing(clash, plain, ox + static_cast<int>(b->x) + 2, oy + static_cast<int>(b->y) + 2,
                      static_cast<int>(b->w) - 4, static_cast<int>(b->h) - 4);
        if (i == 2 || i == 6)
            EXPECT_GT(changed, 1000) << "button " << i;
        else
            EXPECT_EQ(changed, 0) << "button " << i;
    }
}

TEST(PadMappingFile, GoodLinesReachGLFWAndEachBadLineGetsOneLineOnStderr) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
    ASSERT_TRUE(started);
    const std::string path = scratch_dir("pad_mappings") + "/gamecontrollerdb.txt";
    const std::string guid = "03000000aabbccddeeff001122334455";
    std::ofstream(path) << "# Game controller mappings\n"
                        << "\n"
                        << guid << ",Test pad,a:b0,b:b1,leftx:a0,lefty:a1,dpup:h0.1,platform:Linux,\r\n"
                        << "just words\n"
                        << guid << ",Test pad,a:zz\n"
                        << guid << "," << std::string(130, 'n') << ",a:b0\n"
                        << "03000000aabbccddeeff001122334466,Second pad,a:b1,b:b0\n";
    testing::internal::CaptureStderr();
    const int added = load_pad_mappings(path.c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(added, 2);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3) << err;
    EXPECT_NE(err.find("line 4 of \"" + path + "\": no name after the GUID"), std::string::npos) << err;
    EXPECT_NE(err.find("line 5 of \"" + path + "\": \"a:zz\" names no button, axis or hat"),
              std::string::npos)
        << err;
    // GLFW would refuse the over-long name when the pad arrives: it is refused here, with the line.
    EXPECT_NE(err.find("line 6 of \"" + path + "\": the name is longer than 127 characters"),
              std::string::npos)
        << err;

    testing::internal::CaptureStderr();
    EXPECT_EQ(load_pad_mappings("no such file"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// A browser does not offer the window's size: its buttons are not shown, and nothing reaches them.
TEST_F(Pads, AButtonNotShownIsNeitherDrawnNorPointedAtNorWalkedTo) {
    fresh(HIDDEN, OPTIONS, MULTI);
    plug(0);
    const rgba_image shown = hud_capture();
    CButton* fullscreen = options_menu->buttons[FULLSCREEN_BUTTON];
    const int bx = static_cast<int>(options_menu->x + fullscreen->x),
              by = static_cast<int>(options_menu->y + fullscreen->y);
    fullscreen->shown = false;
    const rgba_image hidden = hud_capture();
    EXPECT_GT(
        differing(hidden, shown, bx, by, static_cast<int>(fullscreen->w), static_cast<int>(fullscreen->h)),
        200);
    x_pointer::move_to(bx + 20, by + 15);
    EXPECT_EQ(options_menu->check(), -1);
    pointer_button(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    EXPECT_EQ(fullscreen->title, "Fullscreen OFF");

    // Walking up from Save passes over it: > is next, the button before it.
    x_pointer::move_top_left(1020, 5);
    for (int i = 0; i <= SAVE_BUTTON; ++i)
        tap(0, glfw2::PAD_DOWN);
    ASSERT_EQ(CHighlight::index(), SAVE_BUTTON);
    for (int i = SAVE_BUTTON; i < SOUND_BUTTON; ++i)
        tap(0, glfw2::PAD_DOWN);
    EXPECT_EQ(CHighlight::index(), SOUND_BUTTON + 1);
    tap(0, glfw2::PAD_UP);
    tap(0, glfw2::PAD_UP);
    EXPECT_EQ(CHighlight::index(), LARGER_BUTTON);
    fullscreen->shown = true;
}
