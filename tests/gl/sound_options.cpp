// The options menu's sound controls used through the real input callbacks with the real pointer:
// they change the settings at once, "Save" stores them, "Cancel" and Escape bring back the stored ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/config/frame_rate.h"
#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/input/keyboard.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "game/ui/menus.h"
#include "game/ui/screen_flow.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "graphics/textures.h"
#include "interface/window.h"
#include "scratch_folder.h"
#include "started_game.h"
#include "tga_writer.h"
#include "x_pointer.h"

namespace fs = std::filesystem;

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 600;

// Centres of the controls, in window pixels from the lower left; the options window sits at (100, 0).
struct point {
    int x, y;
};
constexpr point SOUND{240, 145}, VOLUME_DOWN{140, 100}, VOLUME_UP{340, 100}, SAVE{450, 55}, CANCEL{575, 55},
    FRAME_RATE{240, 55};

class SoundOptions : public ScratchFolderTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open(WIDTH, HEIGHT));
        ASSERT_TRUE(x_pointer::ready());
        ScratchFolderTest::SetUp();
        if (textures.find("font") == textures.end()) {
            rgba_image sheet(16, 16);
            ASSERT_TRUE(write_file("font.tga", encode_tga(sheet)));
            load_texture("font.tga", "font");
        }
        saved_ = {global::station1, global::station2, global::menu_state, global::game_state};
        global::station1 = &blue_;
        global::station2 = &red_;
        global::menu_state = global::OPTIONS;
        global::game_state = global::HIDDEN;
        global::options.restore();
        global::settings.read();
        build_menus();
        global::events.clear();
    }
    void TearDown() override {
        free_menus();
        global::station1 = saved_.blue;
        global::station2 = saved_.red;
        global::menu_state = saved_.menu;
        global::game_state = saved_.game;
        global::settings.restore();
        global::settings.sound_device = true;
        global::events.clear();
        particles.remove(&blue_body_);
        particles.remove(&red_body_);
        ScratchFolderTest::TearDown();
    }
    static void click(point p) {
        x_pointer::move(p.x, p.y, HEIGHT);
        mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
    }
    static void clicks(point p, int times) {
        for (int i = 0; i < times; ++i)
            click(p);
    }
    static std::string sound_title() { return global::options_menu->buttons[SOUND_BUTTON]->title; }

    CParticle blue_body_{-12, 0, 0.4f}, red_body_{12, 0, 0.4f};
    global::CStation blue_{&blue_body_, &global::planet1}, red_{&red_body_, &global::planet2};
    struct {
        global::CStation *blue, *red;
        int menu, game;
    } saved_{};
};

}  // namespace

TEST_F(SoundOptions, TheButtonsSwitchSoundAndStepTheVolumeWithinZeroToTen) {
    EXPECT_EQ(sound_title(), "Sound ON");
    click(SOUND);
    EXPECT_FALSE(global::settings.sound);
    EXPECT_EQ(sound_title(), "Sound OFF");
    click(SOUND);
    EXPECT_TRUE(global::settings.sound);
    EXPECT_EQ(sound_title(), "Sound ON");

    clicks(VOLUME_DOWN, 3);
    EXPECT_EQ(global::settings.volume, 5);
    clicks(VOLUME_DOWN, 7);
    EXPECT_EQ(global::settings.volume, 0);
    clicks(VOLUME_UP, 12);
    EXPECT_EQ(global::settings.volume, 10);
    // Every press of a button is heard, and nothing else happened.
    EXPECT_EQ(global::events.size(), 24u);
    for (const game_event& e : global::events)
        EXPECT_EQ(e.kind, EVENT_MENU_BUTTON);
    EXPECT_EQ(global::menu_state, global::OPTIONS);
}

TEST_F(SoundOptions, WithoutADeviceTheButtonSaysSoAndSwitchesNothing) {
    global::settings.sound_device = false;
    global::settings.to_menu(global::options_menu);
    EXPECT_EQ(sound_title(), "No sound device");
    click(SOUND);
    EXPECT_TRUE(global::settings.sound);
    EXPECT_EQ(sound_title(), "No sound device");
    // Reading the stored settings again (Cancel) does not bring back a device.
    click(CANCEL);
    EXPECT_EQ(sound_title(), "No sound device");
    EXPECT_EQ(global::events.size(), 2u);  // both presses were still heard as presses
}

TEST_F(SoundOptions, SaveStoresThemAndCancelBringsBackTheStoredOnes) {
    click(SOUND);
    clicks(VOLUME_DOWN, 5);
    click(SAVE);
    EXPECT_EQ(global::menu_state, global::MAIN);
    ASSERT_TRUE(fs::exists("settings"));
    ASSERT_TRUE(fs::exists("conf"));
    CSettings stored;
    stored.read();
    EXPECT_FALSE(stored.sound);
    EXPECT_EQ(stored.volume, 3);

    global::menu_state = global::OPTIONS;
    click(SOUND);
    clicks(VOLUME_UP, 4);
    click(CANCEL);
    EXPECT_FALSE(global::settings.sound);
    EXPECT_EQ(global::settings.volume, 3);
    EXPECT_EQ(sound_title(), "Sound OFF");
}

TEST_F(SoundOptions, EscapeFromAPausedMatchsOptionsBringsBackTheStoredOnes) {
    global::game_state = global::PAUSED;
    clicks(VOLUME_UP, 2);
    click(SOUND);
    keyboard_callback(glfw2::KEY_ESC, glfw2::PRESS);
    EXPECT_EQ(global::game_state, global::ON);
    EXPECT_TRUE(global::settings.sound);
    EXPECT_EQ(global::settings.volume, 8);
    EXPECT_EQ(sound_title(), "Sound ON");
}

TEST_F(SoundOptions, SavingUntouchedDefaultsLeavesConfAlone) {
    click(SAVE);
    EXPECT_TRUE(fs::exists("conf"));
    EXPECT_FALSE(fs::exists("settings"));

    // Once there is a file, a save back to the defaults is stored too.
    global::menu_state = global::OPTIONS;
    click(VOLUME_UP);
    click(SAVE);
    global::menu_state = global::OPTIONS;
    click(VOLUME_DOWN);
    click(SAVE);
    CSettings stored;
    stored.volume = 0;
    stored.read();
    EXPECT_EQ(stored.volume, 8);
    EXPECT_TRUE(fs::exists("settings"));
}

TEST_F(SoundOptions, TheFrameRateButtonCyclesTheChoicesAndSaveStoresIt) {
    CButton* button = global::options_menu->buttons[FRAME_RATE_BUTTON];
    EXPECT_EQ(button->title, "Unlimited FPS");
    const char* titles[] = {"Vertical sync", "60 FPS cap", "120 FPS cap", "144 FPS cap", "Unlimited FPS"};
    const int rates[] = {frame_rate::VSYNC, 60, 120, 144, frame_rate::UNLIMITED};
    for (int i = 0; i < 5; ++i) {
        click(FRAME_RATE);
        EXPECT_EQ(button->title, titles[i]);
        EXPECT_EQ(global::settings.frame_rate, rates[i]);
    }
    clicks(FRAME_RATE, 2);
    click(SAVE);
    CSettings stored;
    stored.read();
    EXPECT_EQ(stored.frame_rate, 60);

    // Cancel brings back the stored choice, title and all.
    global::menu_state = global::OPTIONS;
    click(FRAME_RATE);
    click(CANCEL);
    EXPECT_EQ(global::settings.frame_rate, 60);
    EXPECT_EQ(button->title, "60 FPS cap");
}
