// The game as start-up leaves it, in a real window: start-up itself, the screens the input callbacks
// move between, the how-to-play scene and the HUD pass. Start-up runs once, in a scratch folder whose
// gfx/ holds flat-coloured pictures written here, so pixels say exactly which layer is on top.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/app/startup.h"
#include "game/config/options.h"
#include "game/input/keyboard.h"
#include "game/render/hud_images.h"
#include "game/render/key_list.h"
#include "game/render/options_extras.h"
#include "game/render/render_hud.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/match_tally.h"
#include "game/sim/presentation.h"
#include "game/ui/menu_windows.h"
#include "game/ui/screen_flow.h"
#include "gl_window.h"
#include "graphics/graphics.h"
#include "interface/window.h"
#include "needs.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "tga_writer.h"
#include "x_pointer.h"

using namespace global;

namespace {

struct flat_picture {
    const char* file;
    std::array<uint8_t, 4> rgba;
};

// Flat pictures. The HUD overlays are transparent so that the boxes and text under them show; the font
// is solid, so every glyph is a filled quad in the text colour.
const flat_picture pictures[] = {
    {"splash.tga", {255, 255, 0, 255}},
    {"starfield.tga", {0, 0, 80, 255}},
    {"clouds.tga", {0, 0, 0, 0}},
    {"star.tga", {255, 255, 255, 255}},
    {"planet1.tga", {0, 0, 255, 255}},
    {"planet2.tga", {255, 128, 0, 255}},
    {"stacja niebieska.tga", {0, 255, 255, 255}},
    {"stacja czerwona.tga", {255, 0, 0, 255}},
    {"shadow.tga", {0, 0, 0, 128}},
    {"crossana.tga", {255, 255, 255, 255}},
    {"crossb.tga", {255, 255, 255, 255}},
    {"circlea.tga", {255, 255, 255, 255}},
    {"particle.tga", {255, 255, 255, 255}},
    {"missile.tga", {255, 255, 255, 255}},
    {"explode.tga", {255, 200, 0, 255}},
    {"font.tga", {255, 255, 255, 255}},
    {"hud_prawy.tga", {0, 0, 0, 0}},
    {"pierwszy.tga", {255, 0, 255, 255}},
    {"drugi.tga", {255, 255, 255, 255}},
    {"trzeci.tga", {0, 0, 0, 0}},
    {"noiseb3.tga", {0, 0, 0, 0}},
    {"logo.tga", {0, 255, 0, 255}},
};

int startup_result = -2;
std::string startup_output;
bool have_display = false;
bool pointer_ready = false;

class StartedGame : public ::testing::Environment {
  public:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr)
            return;
        have_display = true;
        const std::string dir = scratch_dir("game");
        const std::string gfx = dir + "/gfx";
        std::system(("mkdir -p '" + gfx + "'").c_str());
        for (const flat_picture& p : pictures) {
            rgba_image image(8, 8);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    for (int c = 0; c < 4; ++c)
                        image.at(x, y)[c] = p.rgba[c];
            write_file(gfx + "/" + p.file, encode_tga(image));
        }
        if (chdir(dir.c_str()) != 0)
            return;
        glfw2::use_clock(leaping_clock);
        ::testing::internal::CaptureStdout();
        init_gfx();
        startup_result = init();
        startup_output = ::testing::internal::GetCapturedStdout();
        glfw2::use_clock(nullptr);
        // Where the window sits on the screen, to point at buttons with the real pointer.
        pointer_ready = x_pointer::ready();
    }
};

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new StartedGame);

#define REQUIRE_GAME()                                                         \
    do {                                                                       \
        NEEDS(have_display, "an X display");                                   \
        ASSERT_EQ(startup_result, 0) << "start-up failed: " << startup_output; \
    } while (0)

// Moves the real pointer over a button and clicks the left button through the callback.
void click(CWindow* window, int index) {
    CButton* b = window->buttons.at(index);
    const int x = static_cast<int>(window->x + b->x + b->w / 2);
    const int y = CDisplay::height() - static_cast<int>(window->y + b->y + b->h / 2);
    ASSERT_TRUE(pointer_ready) << "no XTest pointer";
    x_pointer::move_top_left(x, y);
    ASSERT_EQ(window->check(), index) << "pointer not over button " << index;
    mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
}

void press(int key) {
    keyboard_callback(key, glfw2::PRESS);
}
void release(int key) {
    keyboard_callback(key, glfw2::RELEASE);
}

void screen(int game, int menu) {
    game_state = game;
    menu_state = menu;
}

// A clean board and the default options, as after a fresh start.
void fresh(int game, int menu, int who = MULTI) {
    options.restore();
    options.to_menu(options_menu);
    if (CActive::read() != nullptr)
        CActive::read()->active = false;
    CActive::write(nullptr);
    restart();
    players = who;
    difficulty = MEDIUM;
    screen(game, menu);
}

int count_type(int type) {
    int n = 0;
    for (CParticle* p : particles)
        n += p->type == type;
    return n;
}

CParticle* last_of(int type) {
    CParticle* found = nullptr;
    for (CParticle* p : particles)
        if (p->type == type)
            found = p;
    return found;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// --- start-up -------------------------------------------------------------------------------------

TEST(Startup, PrintsExactlyTheTwoProgressLines) {
    REQUIRE_GAME();
    EXPECT_EQ(startup_output, "Setting up display...\tDONE\nLoading textures...\tDONE\n");
}

TEST(Startup, OpensTheDefaultWindowWithoutConf) {
    REQUIRE_GAME();
    EXPECT_EQ(CDisplay::width(), 1024);
    EXPECT_EQ(CDisplay::height(), 600);
    int w = 0, h = 0;
    glfw2::get_window_size(&w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(options.blue_primary, 'D');
    EXPECT_EQ(options_menu->buttons.at(12)->title, "Fullscreen OFF");
    EXPECT_EQ(options_menu->buttons.at(0)->title, "A");
}

TEST(Startup, EveryWorldBodyHasItsPictureInOrder) {
    REQUIRE_GAME();
    restart();
    ASSERT_EQ(particles.size(), 9u);
    const std::vector<CParticle*> expected = {&background,       &clouds,  &star,    &shadow_1,
                                              &shadow_2,         &planet1, &planet2, station1->particle,
                                              station2->particle};
    const std::vector<const char*> names = {"background", "clouds",   "star",      "shadow",   "shadow",
                                            "planet_1",   "planet_2", "station_1", "station_2"};
    const std::vector<int> types = {BACK, BACK, BACK, SHADOW, SHADOW, DEFAULT, DEFAULT, DEFAULT, DEFAULT};
    int i = 0;
    for (CParticle* p : particles) {
        EXPECT_EQ(p, expected[i]) << "entry " << i;
        EXPECT_EQ(static_cast<unsigned>(p->gfx.texture), textures.at(names[i])) << names[i];
        EXPECT_EQ(p->type, types[i]) << names[i];
        EXPECT_EQ(p->gfx.blend, ALPHA);
        EXPECT_FLOAT_EQ(p->gfx.colour[3], 1.0f);
        ++i;
    }
    EXPECT_FLOAT_EQ(station1->particle->ang_vel, 0.0022f);
    EXPECT_FLOAT_EQ(station2->particle->ang_vel, 0.0022f);
    EXPECT_EQ(textures.size(), 22u);
}

TEST(Startup, EveryImageHasItsPicture) {
    REQUIRE_GAME();
    const std::vector<std::pair<CInterfaceElem*, const char*>> images = {
        {&noise, "noise"},           {&hud_right, "hud_right"},
        {&left_one, "left_one"},     {&left_two, "left_two"},
        {&left_three, "left_three"}, {&menu_planet1, "planet_2"},
        {&menu_planet2, "planet_2"}, {&logo, "logo"}};
    for (const auto& [image, name] : images) {
        EXPECT_EQ(static_cast<unsigned>(image->texture), textures.at(name)) << name;
        EXPECT_EQ(image->blend, 0) << name;
    }
    EXPECT_EQ(noise.frames_h, 3);
    EXPECT_EQ(noise.frames_v, 1);
    EXPECT_EQ(noise.anim_speed, 25);
    EXPECT_NE(pause_menu, nullptr);
    EXPECT_NE(diff_menu, nullptr);
    EXPECT_NE(main_menu, nullptr);
    EXPECT_NE(options_menu, nullptr);
    EXPECT_NE(howto_menu, nullptr);
}

// --- menus and keys -------------------------------------------------------------------------------

TEST(TitleScreen, MultiplayerStartsAMatchOnACleanBoard) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN, SINGLE);
    station1->shoot_rocket(-1);
    counter = 123;
    click(main_menu, 1);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);
    EXPECT_EQ(players, MULTI);
    EXPECT_EQ(count_type(ROCKET), 0);
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(station1->rockets, 10);
}

TEST(TitleScreen, SingleplayerGoesThroughTheDifficultyChoice) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN, MULTI);
    click(main_menu, 0);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_EQ(menu_state, DIFF);
    EXPECT_EQ(players, SINGLE);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(menu_state, MAIN);

    const int levels[] = {EASY, MEDIUM, HARD};
    for (int i = 0; i < 3; ++i) {
        screen(HIDDEN, MAIN);
        click(main_menu, 0);
        click(diff_menu, i);
        EXPECT_EQ(difficulty, levels[i]);
        EXPECT_EQ(game_state, ON);
        EXPECT_EQ(menu_state, NONE);
    }
}

TEST(TitleScreen, KeysDoNothingAndQuitCloses) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    for (int key : {glfw2::KEY_ESC, glfw2::KEY_ENTER, static_cast<int>('D'), static_cast<int>('F')}) {
        press(key);
        release(key);
        EXPECT_EQ(game_state, HIDDEN);
        EXPECT_EQ(menu_state, MAIN);
    }
    EXPECT_EQ(particles.size(), 9u);
    click(main_menu, 4);
    EXPECT_EQ(game_state, CLOSING);
}

TEST(HowToPlay, ShowsTheSceneAndMainMenuEscapeOrEnterClearIt) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    click(main_menu, 3);
    EXPECT_EQ(menu_state, INSTRUCTIONS);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(particles.size(), 363u);
    // The stations' keys and the result screen's Space leave it up.
    for (int key : {int{'A'}, int{'D'}, options.red_primary, glfw2::KEY_SPACE})
        press(key);
    release(glfw2::KEY_ESC);
    EXPECT_EQ(menu_state, INSTRUCTIONS);
    EXPECT_EQ(particles.size(), 363u);
    click(howto_menu, 0);
    EXPECT_EQ(menu_state, MAIN);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(particles.size(), 9u);
    EXPECT_FLOAT_EQ(camera[2], -20.0f);

    for (int key : {glfw2::KEY_ESC, glfw2::KEY_ENTER, glfw2::KEY_KP_ENTER}) {
        click(main_menu, 3);
        ASSERT_EQ(menu_state, INSTRUCTIONS);
        press(key);
        EXPECT_EQ(menu_state, MAIN) << key;
        EXPECT_EQ(game_state, HIDDEN) << key;
        EXPECT_EQ(particles.size(), 9u) << key;
        EXPECT_FLOAT_EQ(camera[2], -20.0f) << key;
        // Back on the title, the same key does nothing more.
        press(key);
        EXPECT_EQ(menu_state, MAIN) << key;
        EXPECT_EQ(game_state, HIDDEN) << key;
    }
}

TEST(Playing, HoldingAndReleasingPrimaryFiresOneMissileAtTheCharge) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    press('D');
    EXPECT_TRUE(station1->loading);
    for (int i = 0; i < 50; ++i)
        station1->update();
    release('D');
    ASSERT_EQ(count_type(ROCKET), 1);
    EXPECT_NEAR(last_of(ROCKET)->vel.len(), 2.0f / 40, 1e-3);
    EXPECT_FALSE(station1->loading);
    EXPECT_EQ(station1->loaded, 0);
    EXPECT_EQ(station1->rockets, 9);

    // Held to full charge it fires by itself; the release then fires nothing.
    press('D');
    for (int i = 0; i < 200; ++i)
        station1->update();
    release('D');
    EXPECT_EQ(count_type(ROCKET), 2);
}

TEST(Playing, EmptyStocksFireNothing) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    station1->rockets = 0;
    station1->flares = 0;
    press('D');
    EXPECT_FALSE(station1->loading);
    press('F');
    release('D');
    release('F');
    EXPECT_EQ(count_type(ROCKET) + count_type(FLARE), 0);
    station1->flares = 1;
    press('F');
    EXPECT_EQ(count_type(FLARE), 1);
    EXPECT_EQ(station1->flares, 0);
}

TEST(Playing, TurnKeysSetAndClearTheFlags) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    press('A');
    press('Q');
    EXPECT_TRUE(station1->cw);
    EXPECT_TRUE(station1->ccw);
    release('A');
    release('Q');
    EXPECT_FALSE(station1->cw);
    EXPECT_FALSE(station1->ccw);
}

TEST(Playing, RedKeysWorkOnlyInTwoPlayerMode) {
    REQUIRE_GAME();
    fresh(ON, NONE, SINGLE);
    press(options.red_cw);
    press(options.red_primary);
    press(options.red_secondary);
    EXPECT_FALSE(station2->cw);
    EXPECT_FALSE(station2->loading);
    EXPECT_EQ(station2->flares, 5);

    fresh(ON, NONE, MULTI);
    press(options.red_cw);
    press(options.red_ccw);
    press(options.red_primary);
    press(options.red_secondary);
    EXPECT_TRUE(station2->cw);
    EXPECT_TRUE(station2->ccw);
    EXPECT_TRUE(station2->loading);
    EXPECT_EQ(station2->flares, 4);
    release(options.red_primary);
    EXPECT_EQ(count_type(ROCKET), 1);

    // One key bound to every red action releases all of them.
    options.red_cw = options.red_ccw = options.red_primary = 'K';
    station2->cw = station2->ccw = station2->loading = true;
    release('K');
    EXPECT_FALSE(station2->cw);
    EXPECT_FALSE(station2->ccw);
    EXPECT_FALSE(station2->loading);
}

TEST(Playing, UnboundControlsNeverFire) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    options.blue_primary = -1;
    press(-1);
    EXPECT_FALSE(station1->loading);
}

TEST(PauseMenu, EscapePausesAndResumeOrEscapeReturns) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    press('A');  // held through the pause
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_EQ(menu_state, MAIN);
    release('A');  // releases count only while the match runs
    click(pause_menu, 0);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);
    EXPECT_TRUE(station1->cw);

    press(glfw2::KEY_ESC);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);
}

TEST(PauseMenu, NewGameAndMainMenu) {
    REQUIRE_GAME();
    fresh(PAUSED, MAIN, SINGLE);
    station1->shields = 30;
    click(pause_menu, 1);
    EXPECT_EQ(station1->shields, 100);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_EQ(menu_state, DIFF);

    fresh(PAUSED, MAIN, MULTI);
    click(pause_menu, 1);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);

    screen(PAUSED, MAIN);
    station1->shoot_rocket(-1);
    click(pause_menu, 3);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(menu_state, MAIN);
    EXPECT_EQ(count_type(ROCKET), 0);

    screen(PAUSED, MAIN);
    click(pause_menu, 2);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_EQ(menu_state, OPTIONS);
}

TEST(MatchOver, EnterRestartsAndEscapeTogglesTheMenu) {
    REQUIRE_GAME();
    fresh(ENDED, NONE, SINGLE);
    difficulty = HARD;
    station2->shields = 0;
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, ENDED);
    EXPECT_EQ(menu_state, MAIN);
    press(glfw2::KEY_ENTER);  // not while a menu is open
    EXPECT_EQ(menu_state, MAIN);
    EXPECT_EQ(station2->shields, 0);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, ENDED);
    EXPECT_EQ(menu_state, NONE);
    press(glfw2::KEY_ENTER);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(station2->shields, 100);
    EXPECT_EQ(players, SINGLE);
    EXPECT_EQ(difficulty, HARD);

    press(glfw2::KEY_ENTER);  // ignored while playing
    EXPECT_EQ(game_state, ON);

    // Red's side of the keyboard and the space bar start the next match too; a station's key does not.
    for (int key : {glfw2::KEY_KP_ENTER, glfw2::KEY_SPACE}) {
        fresh(ENDED, NONE, MULTI);
        station1->shields = 0;
        press('D');
        press(options.red_primary);
        EXPECT_EQ(game_state, ENDED) << key;
        press(key);
        EXPECT_EQ(game_state, ON) << key;
        EXPECT_EQ(station1->shields, 100) << key;
        EXPECT_EQ(players, MULTI) << key;
    }
}

TEST(Options, ClickingAKeyButtonCapturesTheNextKey) {
    REQUIRE_GAME();
    fresh(HIDDEN, OPTIONS);
    click(options_menu, 0);
    EXPECT_EQ(CActive::read(), options_menu->buttons[0]);
    EXPECT_TRUE(options_menu->buttons[0]->active);
    click(options_menu, 5);  // the waiting mark moves
    EXPECT_FALSE(options_menu->buttons[0]->active);
    EXPECT_TRUE(options_menu->buttons[5]->active);
    press('Z');
    EXPECT_EQ(options_menu->buttons[5]->title, "Z");
    EXPECT_FALSE(options_menu->buttons[5]->active);
    EXPECT_EQ(CActive::read(), nullptr);
    EXPECT_EQ(options_menu->buttons[0]->title, "A");
    EXPECT_EQ(menu_state, OPTIONS);
}

TEST(Options, ResolutionArrowsCycleTheList) {
    REQUIRE_GAME();
    fresh(HIDDEN, OPTIONS);
    click(options_menu, 11);
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 768);
    options.width = 1440;
    options.height = 900;
    click(options_menu, 11);
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    click(options_menu, 10);
    EXPECT_EQ(options.width, 1440);
    EXPECT_EQ(options.height, 900);
    // A size "conf" holds that the list does not: the arrows still move, to its neighbours.
    options.width = 1600;
    options.height = 900;
    click(options_menu, 10);
    EXPECT_EQ(options.width, 1440);
    EXPECT_EQ(options.height, 900);
}

TEST(Options, SaveWritesTheTenLinesAndReturnsToTheMenuItCameFrom) {
    REQUIRE_GAME();
    std::remove("conf");
    fresh(PAUSED, OPTIONS);
    click(options_menu, 2);
    press('J');
    click(options_menu, 11);
    click(options_menu, 12);
    EXPECT_EQ(options_menu->buttons[12]->title, "Fullscreen ON");
    click(options_menu, 8);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_EQ(menu_state, MAIN);
    EXPECT_EQ(options.blue_primary, 'J');
    EXPECT_TRUE(options.fullscreen);
    EXPECT_EQ(read_file("conf"),
              "65 blue_cw\n81 blue_ccw\n74 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
              "307 red_primary\n308 red_secondary\n1024 768\n1");
    std::remove("conf");
}

TEST(Options, CancelAndEscapeReloadTheStoredOptions) {
    REQUIRE_GAME();
    std::remove("conf");
    fresh(HIDDEN, OPTIONS);
    click(options_menu, 0);
    press('M');
    click(options_menu, 11);
    click(options_menu, 12);
    click(options_menu, 9);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(menu_state, MAIN);
    EXPECT_EQ(options_menu->buttons[0]->title, "A");
    EXPECT_EQ(options_menu->buttons[12]->title, "Fullscreen OFF");
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 600);

    // Escape leaves the options only over a match; from the title it does nothing.
    screen(HIDDEN, OPTIONS);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(menu_state, OPTIONS);

    // Over a match Escape leaves them, once no key button waits.
    screen(PAUSED, OPTIONS);
    click(options_menu, 3);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(menu_state, OPTIONS);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, ON);
    EXPECT_EQ(menu_state, NONE);
    EXPECT_EQ(options_menu->buttons[3]->title, "F");
    EXPECT_EQ(CActive::read(), nullptr);
}

TEST(Options, EscapeCancelsAWaitingKeyButtonAndIsNeverBound) {
    REQUIRE_GAME();
    std::remove("conf");
    for (int game : {HIDDEN, PAUSED}) {
        fresh(game, OPTIONS);
        click(options_menu, 2);
        press(glfw2::KEY_ESC);
        EXPECT_EQ(options_menu->buttons[2]->title, "D");
        EXPECT_FALSE(options_menu->buttons[2]->active);
        EXPECT_EQ(CActive::read(), nullptr);
        // Only the wait ends: the screen stays, and the release that follows is nobody's key.
        EXPECT_EQ(game_state, game);
        EXPECT_EQ(menu_state, OPTIONS);
        release(glfw2::KEY_ESC);
        EXPECT_EQ(options_menu->buttons[2]->title, "D");
        click(options_menu, 8);
        EXPECT_EQ(options.blue_primary, 'D');
    }
    EXPECT_NE(read_file("conf").find("\n68 blue_primary\n"), std::string::npos);
    EXPECT_EQ(read_file("conf").find("257"), std::string::npos);

    // A button still waiting when the options are left waits no more: the next key is the match's.
    fresh(PAUSED, OPTIONS);
    click(options_menu, 0);
    click(options_menu, 8);
    EXPECT_EQ(CActive::read(), nullptr);
    EXPECT_FALSE(options_menu->buttons[0]->active);
    click(pause_menu, 0);
    press('Z');
    EXPECT_EQ(options_menu->buttons[0]->title, "A");
    fresh(HIDDEN, OPTIONS);
    click(options_menu, 7);
    click(options_menu, 9);
    EXPECT_EQ(CActive::read(), nullptr);

    // A "conf" saved before Escape was refused may hold it for a control: Escape still pauses.
    fresh(ON, NONE);
    options.blue_cw = glfw2::KEY_ESC;
    press(glfw2::KEY_ESC);
    EXPECT_EQ(game_state, PAUSED);
    EXPECT_FALSE(station1->cw);
    std::remove("conf");
}

TEST(Mouse, OtherButtonsAndReleasesChangeNothing) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    click(main_menu, 1);  // points at Multiplayer, starts the match
    screen(HIDDEN, MAIN);
    mouse_callback(glfw2::MOUSE_BUTTON_RIGHT, glfw2::PRESS);
    mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::RELEASE);
    EXPECT_EQ(game_state, HIDDEN);
    EXPECT_EQ(menu_state, MAIN);
    character_callback('x', glfw2::PRESS);
    EXPECT_EQ(game_state, HIDDEN);
}

// --- how-to-play scene ----------------------------------------------------------------------------

struct body_snapshot {
    int type;
    int counter;
    float x, y, vx, vy, alpha;
    bool operator==(const body_snapshot& o) const {
        return type == o.type && counter == o.counter && x == o.x && y == o.y && vx == o.vx && vy == o.vy &&
               alpha == o.alpha;
    }
};

std::vector<body_snapshot> snapshot() {
    std::vector<body_snapshot> s;
    for (CParticle* p : particles)
        s.push_back({p->type, p->counter, p->pos.x, p->pos.y, p->vel.x, p->vel.y, p->gfx.colour[3]});
    return s;
}

TEST(Presentation, HoldsExactlyTheScriptedScene) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    presentation();
    EXPECT_EQ(particles.size(), 363u);
    EXPECT_EQ(count_type(ROCKET), 2);
    EXPECT_EQ(count_type(FLARE), 1);
    EXPECT_EQ(count_type(TRACE), 351);
    EXPECT_FLOAT_EQ(camera[0], 2);
    EXPECT_FLOAT_EQ(camera[1], 1);
    EXPECT_FLOAT_EQ(camera[2], -12);
    EXPECT_FLOAT_EQ(station1->particle->ang_pos, 2.5f);
    EXPECT_FLOAT_EQ(station1->loaded, 1.0f);
    EXPECT_EQ(station1->rockets, 8);
    EXPECT_EQ(station2->flares, 4);

    int missile_trail = 0, flare_trail = 0, fresh_dots = 0;
    for (CParticle* p : particles) {
        if (p->type != TRACE)
            continue;
        if (p->gfx.colour[0] == 1.0f) {
            ++flare_trail;
            EXPECT_GE(p->counter, 150);
        } else {
            ++missile_trail;
            EXPECT_FLOAT_EQ(p->gfx.colour[1], 0.8f);
        }
        if (p->gfx.colour[3] == 1.0f)
            ++fresh_dots;
        EXPECT_LE(p->counter, 199);
    }
    EXPECT_EQ(missile_trail, 301);
    EXPECT_EQ(flare_trail, 50);
    EXPECT_EQ(fresh_dots, 3);  // the dots of the last step have not faded yet
    for (CParticle* p : particles) {
        if (p->type == ROCKET || p->type == FLARE) {
            EXPECT_EQ(p->counter, 20);
        }
    }
}

// Where the scene's bodies are: each missile and flare leaves its station along its aim and falls
// under the planets' pull to the places the how-to-play picture shows.
TEST(Presentation, BodiesLeaveTheirStationsAlongTheirAimsAndEndWhereTheSceneShowsThem) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    // Where the stations stand when they fire: blue at its first angle, red where start-up left it.
    station1->particle->ang_pos = 2.1f;
    station1->update();
    const CVector blue_at = station1->particle->pos;
    presentation();
    const CVector red_at = station2->particle->pos;

    // The oldest dot of each trail: laid a couple of steps after its body was fired.
    CParticle* first_missile_dot = nullptr;
    CParticle* flare_dot = nullptr;
    for (CParticle* p : particles) {
        if (p->type != TRACE)
            continue;
        CParticle*& oldest = p->gfx.colour[0] == 1.0f ? flare_dot : first_missile_dot;
        if (oldest == nullptr || p->counter > oldest->counter)
            oldest = p;
    }
    ASSERT_NE(first_missile_dot, nullptr);
    ASSERT_NE(flare_dot, nullptr);
    EXPECT_LT(CVector(blue_at, first_missile_dot->pos).len(), 0.2f)
        << "the first missile did not leave from the blue station at its first angle";
    const CVector flare_path(red_at, flare_dot->pos);
    const float red_aim = -1.4f;
    EXPECT_NEAR(std::atan2(flare_path.x, -flare_path.y), red_aim, 0.1f)
        << "the flare did not leave along the red aim";

    // Where the pull has brought them by the end: the picture the screen shows, to a hundredth of a unit.
    const std::vector<std::pair<float, float>> expected = {
        {-1.1763f, 0.5433f}, {-6.3352f, -3.3990f}, {4.6223f, 4.0133f}};
    std::vector<CVector> ends;
    for (CParticle* p : particles)
        if (p->type == ROCKET || p->type == FLARE)
            ends.push_back(p->pos);
    ASSERT_EQ(ends.size(), expected.size());
    for (size_t i = 0; i < ends.size(); ++i) {
        EXPECT_NEAR(ends[i].x, expected[i].first, 0.01f) << "body " << i;
        EXPECT_NEAR(ends[i].y, expected[i].second, 0.01f) << "body " << i;
    }
}

TEST(Presentation, IsTheSameSceneEveryTime) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    presentation();
    const std::vector<body_snapshot> first = snapshot();
    presentation();
    EXPECT_TRUE(first == snapshot());
    restart();
    EXPECT_EQ(particles.size(), 9u);
}

// --- the HUD pass ---------------------------------------------------------------------------------

std::array<int, 4> hud_pixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

// The HUD pass alone over black, under the projection the main loop sets for it.
void draw_hud() {
    const int W = CDisplay::width();
    const int H = CDisplay::height();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, W, 0, H, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    bind_no_texture();
    gui_render();
}

const std::array<int, 4> GREY = {204, 204, 204, 255};
const std::array<int, 4> BLACK = {0, 0, 0, 255};

#define EXPECT_PIXEL(x, y, colour)                                         \
    do {                                                                   \
        const auto seen = hud_pixel(x, y);                                 \
        EXPECT_TRUE(near_colour(seen, colour, 4))                          \
            << "at (" << (x) << ", " << (y) << ") saw " << describe(seen); \
    } while (0)

TEST(Hud, TitleScreenHasNoStatusPanelButTheFrameRate) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    draw_hud();
    const std::array<int, 4> tint = {15, 8, 0, 255};  // (0.2, 0.1, 0) at 0.3 over black
    EXPECT_PIXEL(170, 580, tint);                     // where the blue panel would be
    EXPECT_PIXEL(984, 505, tint);                     // where the red panel would be
    EXPECT_PIXEL(24, 18, GREY);                       // "FPS:"
    EXPECT_PIXEL(400, 560, tint);                     // no zoom hint
}

const std::array<int, 4> TINT = {15, 8, 0, 255};  // the title's brown veil, (0.2, 0.1, 0) at 0.3 over black
const std::array<int, 4> ORANGE = {255, 128, 0, 255};  // the planet picture of the menus

// Each probe pair straddles an edge, so a picture or text moved by a few pixels either way shows.
TEST(Hud, TitleScreenPlanetLogoAndVersion) {
    REQUIRE_GAME();
    fresh(HIDDEN, MAIN);
    draw_hud();
    // The planet covers x 674..1074, y -50..350.
    EXPECT_PIXEL(678, 100, ORANGE);
    EXPECT_PIXEL(670, 100, TINT);
    EXPECT_PIXEL(900, 346, ORANGE);
    EXPECT_PIXEL(900, 354, TINT);
    // The logo (flat green here) covers x 474..974, y 480..566.
    const std::array<int, 4> logo_green = {0, 255, 0, 255};
    EXPECT_PIXEL(478, 520, logo_green);
    EXPECT_PIXEL(470, 520, TINT);
    EXPECT_PIXEL(970, 562, logo_green);
    EXPECT_PIXEL(978, 520, TINT);
    EXPECT_PIXEL(700, 570, TINT);
    // "version 1.1", right-aligned at x 959: 11 cells over x 854..974, y 470..490, partly over the logo.
    EXPECT_PIXEL(860, 475, GREY);
    EXPECT_PIXEL(850, 475, TINT);
    EXPECT_PIXEL(970, 475, GREY);
    EXPECT_PIXEL(978, 475, TINT);
    EXPECT_PIXEL(700, 476, TINT);
    EXPECT_PIXEL(900, 486, GREY);
    EXPECT_PIXEL(900, 494, logo_green);
    EXPECT_PIXEL(900, 468, TINT);
}

// The solid font draws every character as a filled cell, 10 pixels apart at size 20, so the width of a
// number tells which value it shows; a number also has one leading empty cell. Each value below has its
// own length, and each probe sits where only the right value reaches.
TEST(Hud, StatusPanelsShowEachValueInItsRow) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    counter = 0;
    station1->shields = 55;          // 3 cells, x 95..135
    station1->rockets = 7;           // 2 cells, x 105..135
    station1->flares = -1000000000;  // 12 cells, x 5..135
    station2->shields = 1234;        // 5 cells, x 905..965
    station2->rockets = 7;           // 2 cells, x 935..965
    station2->flares = 55;           // 3 cells, x 925..965
    draw_hud();
    // Text is lit in green on both panels; neither background is (magenta under white, dark red).
    auto lit = [](int x, int y) { return hud_pixel(x, y)[1] > 180; };
    // Blue rows at y 542, 522 and 502; the labels end at x 85, 95 and 105.
    EXPECT_TRUE(lit(100, 552)) << "blue HULL";
    EXPECT_FALSE(lit(90, 552)) << "blue HULL";
    EXPECT_TRUE(lit(110, 532)) << "blue MINES";
    EXPECT_FALSE(lit(100, 532)) << "blue MINES";
    EXPECT_FALSE(lit(15, 532)) << "blue MINES";
    EXPECT_TRUE(lit(15, 512)) << "blue FLARES";
    // Red rows at y 572, 547 and 522; the labels end at x 915, 925 and 935.
    EXPECT_TRUE(lit(920, 582)) << "red HULL";
    EXPECT_TRUE(lit(940, 557)) << "red MINES";
    EXPECT_FALSE(lit(930, 557)) << "red MINES";
    EXPECT_TRUE(lit(960, 532)) << "red FLARES";
    EXPECT_FALSE(lit(970, 532)) << "red FLARES";
}

TEST(Hud, MatchShowsBothPanelsAndTheZoomHint) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    counter = 0;
    draw_hud();
    EXPECT_PIXEL(984, 505, (std::array<int, 4>{77, 0, 0, 255}));     // red box behind the noise
    EXPECT_PIXEL(865, 582, (std::array<int, 4>{0, 204, 0, 255}));    // green "HULL:"
    EXPECT_PIXEL(170, 580, (std::array<int, 4>{255, 0, 255, 255}));  // left_one
    // Grey "HULL:" under left_two, which is white at alpha 0.5 at counter 0.
    EXPECT_PIXEL(40, 552, (std::array<int, 4>{230, 230, 230, 255}));
    EXPECT_PIXEL(500, 560, GREY);  // zoom hint
    EXPECT_PIXEL(24, 18, GREY);
    // The frame rate's digits follow "FPS:" as its next character would, not half a character into the
    // colon: with the solid font's whole-quad glyphs the colon's quad ends at x 56 and the digit's at 64.
    fps = 7;
    draw_hud();
    EXPECT_PIXEL(62, 18, GREY);
    EXPECT_PIXEL(66, 18, BLACK);
    // The hint is for the first ten seconds of a match.
    match_clock::begin(1);
    for (int i = 0; i < 999; ++i)
        match_clock::count_step();
    draw_hud();
    EXPECT_PIXEL(500, 560, GREY);
    match_clock::count_step();
    draw_hud();
    EXPECT_PIXEL(500, 560, BLACK);
    match_clock::begin(1);

    screen(PAUSED, MAIN);
    draw_hud();
    EXPECT_PIXEL(500, 560, BLACK);  // the hint only while playing
    const std::array<int, 4> dimmed = {77, 0, 0, 255};
    const auto seen = hud_pixel(984, 505);
    EXPECT_LT(seen[0], dimmed[0] / 2) << "status panel not dimmed: " << describe(seen);
}

TEST(Hud, LeftTwoPulsesWithTheMatchClock) {
    REQUIRE_GAME();
    fresh(ON, NONE);
    const std::pair<int, float> expected[] = {
        {0, 0.5f}, {300, 0.5f}, {150, 0.25f}, {450, 0.25f}, {75, 0.375f}};
    for (const auto& [clock, alpha] : expected) {
        counter = clock;
        draw_hud();
        EXPECT_FLOAT_EQ(left_two.colour[3], alpha) << "counter " << clock;
        // White left_two over magenta left_one: green follows the alpha.
        const auto seen = hud_pixel(100, 580);
        EXPECT_NEAR(seen[1], 255 * alpha, 4) << "counter " << clock;
        EXPECT_NEAR(seen[0], 255, 4);
    }
}

TEST(Hud, MatchOverShowsTheResult) {
    REQUIRE_GAME();
    // "DRAW!" covers x 467..557; the winners' lines are much wider, Blue's a few pixels more than Red's.
    fresh(ENDED, NONE);
    station1->shields = 0;
    station2->shields = -10;
    draw_hud();
    EXPECT_PIXEL(480, 315, GREY);
    EXPECT_PIXEL(400, 315, BLACK);
    EXPECT_PIXEL(400, 285, GREY);  // "Press enter to restart"

    station2->shields = 10;
    draw_hud();
    EXPECT_PIXEL(400, 315, GREY);
    EXPECT_PIXEL(358, 315, BLACK);  // "Red player has won!" starts at 362

    station1->shields = 10;
    station2->shields = 0;
    draw_hud();
    EXPECT_PIXEL(358, 315, GREY);  // "Blue player has won!" starts at 354.5

    station2->shields = 10;
    draw_hud();
    EXPECT_PIXEL(480, 315, BLACK);  // nobody lost: no message
    EXPECT_PIXEL(400, 285, GREY);

    screen(ENDED, NONE);
    draw_hud();
    EXPECT_PIXEL(350, 285, GREY);
    screen(ENDED, MAIN);  // a menu open over the result hides it
    draw_hud();
    EXPECT_PIXEL(350, 285, BLACK);
}

TEST(Hud, OptionsOverAMatchLeaveOutTheStatusPanels) {
    REQUIRE_GAME();
    fresh(PAUSED, MAIN);
    counter = 0;
    draw_hud();
    EXPECT_GT(hud_pixel(170, 580)[0], 40) << "the blue panel, dimmed, under the pause menu";
    screen(PAUSED, OPTIONS);
    draw_hud();
    EXPECT_PIXEL(170, 580, BLACK);  // where left_one stands, by "BLUE"
    EXPECT_PIXEL(984, 505, BLACK);  // the red panel's box
}

TEST(Hud, OptionsLabelFollowsTheResolution) {
    REQUIRE_GAME();
    fresh(HIDDEN, OPTIONS);
    // With the solid font "1024x600" covers x 172.5..307.5 at y 230..260, "800x600" only 180..300.
    draw_hud();
    EXPECT_PIXEL(176, 245, GREY);
    EXPECT_PIXEL(175, 545, GREY);  // "BLUE" over its column
    options.width = 800;
    draw_hud();
    EXPECT_PIXEL(176, 245, TINT);
}

TEST(Hud, OptionsScreenLabelsAndPlanet) {
    REQUIRE_GAME();
    fresh(HIDDEN, OPTIONS);
    draw_hud();
    // The four control labels start at x 362.5, right of the red key buttons, 30 pixels high.
    for (const int y : {500, 450, 400, 350}) {
        EXPECT_PIXEL(366, y + 15, GREY);
        EXPECT_PIXEL(358, y + 15, TINT);
        EXPECT_PIXEL(366, y - 4, TINT);
        EXPECT_PIXEL(366, y + 34, TINT);
    }
    // "Secondary fire" ends at x 587.5, over the planet.
    EXPECT_PIXEL(584, 365, GREY);
    EXPECT_PIXEL(592, 365, ORANGE);
    // The planet covers x 574..1086, y -50..462.
    EXPECT_PIXEL(578, 150, ORANGE);
    EXPECT_PIXEL(570, 150, TINT);
    EXPECT_PIXEL(800, 458, ORANGE);
    EXPECT_PIXEL(800, 466, TINT);
}

TEST(Hud, HowToPlayShowsItsTexts) {
    REQUIRE_GAME();
    fresh(HIDDEN, INSTRUCTIONS);
    draw_hud();
    EXPECT_PIXEL(40, 560, GREY);   // first line of the objective at (30, H - 50)
    EXPECT_PIXEL(40, 150, GREY);   // primary fire text at (30, 140)
    EXPECT_PIXEL(990, 460, GREY);  // right-aligned flare text ending near W - 25
    // Its second line: 42 cells right-aligned at x 999, over x 584..1014, y 430..450.
    EXPECT_PIXEL(590, 440, GREY);
    EXPECT_PIXEL(578, 440, BLACK);
    EXPECT_PIXEL(1010, 440, GREY);
    EXPECT_PIXEL(1018, 440, BLACK);
    EXPECT_PIXEL(700, 432, GREY);
    EXPECT_PIXEL(700, 428, BLACK);
}

// With the solid font a key's name shows by its width: the how-to-play scene's table (rows at y 205,
// 184, 163, 142, 121, 18 pixels high, 9 across a character, right edge at x 999) gives each column the
// width of its longest name, so a longer name moves the table left and fills its own cell.
TEST(Hud, HowToPlayNamesTheKeysTheOptionsSaved) {
    REQUIRE_GAME();
    std::remove("conf");
    fresh(HIDDEN, INSTRUCTIONS);
    draw_hud();
    EXPECT_PIXEL(912, 150, GREY);   // "D" in the blue column, x 904.5..922.5
    EXPECT_PIXEL(930, 150, BLACK);  // nothing after it
    EXPECT_PIXEL(995, 150, GREY);   // "KP_5", x 958.5..1003.5

    fresh(HIDDEN, OPTIONS);
    click(options_menu, 2);
    press(glfw2::KEY_RSHIFT);
    click(options_menu, 8);
    click(main_menu, 3);
    ASSERT_EQ(menu_state, INSTRUCTIONS);
    EXPECT_EQ(key_table(false).rows[3], (std::vector<std::string>{"Primary fire", "RSHIFT", "KP_5"}));
    draw_hud();
    EXPECT_PIXEL(930, 150, GREY);  // "RSHIFT", x 886.5..949.5
    EXPECT_PIXEL(945, 150, GREY);
    EXPECT_PIXEL(953, 150, BLACK);
    EXPECT_PIXEL(930, 171, BLACK);  // "Q" in the row above stays one character
    EXPECT_PIXEL(995, 150, GREY);
    std::remove("conf");
    options.restore();
}

// Over a match the pause menu names the keys of the stations this keyboard steers, right of its window
// (which ends at x 662): blue alone against the computer, both in a two-player match.
TEST(Hud, PauseMenuNamesTheKeysThatSteer) {
    REQUIRE_GAME();
    fresh(PAUSED, MAIN, SINGLE);
    draw_hud();
    EXPECT_PIXEL(690, 150, GREY);  // "Primary fire" from x 682.5
    EXPECT_PIXEL(678, 150, BLACK);
    EXPECT_PIXEL(905, 150, GREY);   // "D" at x 898.5..916.5
    EXPECT_PIXEL(990, 150, BLACK);  // no red column
    fresh(PAUSED, MAIN, MULTI);
    draw_hud();
    EXPECT_PIXEL(905, 150, GREY);  // blue's "D"
    EXPECT_PIXEL(990, 150, GREY);  // red's "KP_5", x 952.5..997.5
}

// A key button waiting for a key says so above the columns, in its own light blue, until the key or
// Escape comes.
TEST(Hud, AWaitingKeyButtonAsksForAKey) {
    REQUIRE_GAME();
    const std::array<int, 4> prompt = {204, 204, 255, 255};
    fresh(HIDDEN, OPTIONS);
    draw_hud();
    EXPECT_PIXEL(512, 580, TINT);
    EXPECT_EQ(key_capture_prompt(), "");
    click(options_menu, 6);
    EXPECT_EQ(key_capture_prompt(), "Red primary fire: press a key, Escape to cancel");
    click(options_menu, 1);
    EXPECT_EQ(key_capture_prompt(), "Blue turn counter-clockwise: press a key, Escape to cancel");
    draw_hud();
    EXPECT_PIXEL(512, 580, prompt);
    EXPECT_PIXEL(512, 596, TINT);
    press(glfw2::KEY_ESC);
    EXPECT_EQ(key_capture_prompt(), "");
    draw_hud();
    EXPECT_PIXEL(512, 580, TINT);
}

// Against the computer the result says whose it is, in colour over the specified line; under the
// prompt stand both sides' figures and the match's length, gone when a menu opens over the result.
TEST(Hud, MatchOverTellsThePlayerAndShowsTheFigures) {
    REQUIRE_GAME();
    const std::array<int, 4> won = {102, 230, 102, 255};
    const std::array<int, 4> lost = {242, 115, 102, 255};
    fresh(ENDED, NONE, SINGLE);
    station2->shields = 0;
    draw_hud();
    EXPECT_PIXEL(512, 365, won);   // "You won", x 442..582, y 345..385
    EXPECT_PIXEL(390, 210, GREY);  // "Shots" in the first row of figures
    EXPECT_PIXEL(512, 95, GREY);   // "Match length 0:00"
    station1->shields = 0;
    station2->shields = 10;
    draw_hud();
    EXPECT_PIXEL(512, 365, lost);  // "You lost"
    station2->shields = 0;
    draw_hud();
    EXPECT_PIXEL(512, 365, GREY);  // "Draw", x 472..552

    fresh(ENDED, NONE, MULTI);  // two players on one keyboard: no "you"
    station2->shields = 0;
    draw_hud();
    EXPECT_PIXEL(512, 365, BLACK);
    EXPECT_PIXEL(390, 210, GREY);
    EXPECT_PIXEL(372, 210, BLACK);
    // A six-digit count widens its column and moves the table left.
    tally.sides[RED_STATION].shots = 123456;
    draw_hud();
    EXPECT_PIXEL(372, 210, GREY);
    screen(ENDED, MAIN);
    draw_hud();
    EXPECT_PIXEL(512, 95, BLACK);
}

}  // namespace
