// The network screen's internet half, used through the real input callbacks and the real pointer after a
// real start-up: the code field takes the typing once clicked, a bad code is told under it, and "Host
// online" with a rendezvous server on 127.0.0.1 shows the code it was given in large letters.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "docs_pictures.h"
#include "frame_pixels.h"
#include "game/app/main_loop.h"
#include "game/config/settings.h"
#include "game/input/keyboard.h"
#include "game/netplay/network_match.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/run/run.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "game/ui/network_screen.h"
#include "game/ui/screen_flow.h"
#include "gl_window.h"
#include "graphics/display.h"
#include "interface/window.h"
#include "server/rendezvous.h"
#include "server/server_loop.h"
#include "started_game.h"
#include "unclaimed_port.h"
#include "x_pointer.h"

namespace {

struct area {
    int x, y, w, h;  // window pixels from the lower left
};

// The screen as drawn now.
rgba_image network_frame() {
    gl_window::begin_pixel_frame();
    network_screen::draw(CDisplay::width(), CDisplay::height());
    return framebuffer_image();
}

// Pixels of text (light grey on the dark fields and panels) in an area.
int text_pixels(const rgba_image& image, const area& a) {
    int n = 0;
    for (int y = a.y; y < a.y + a.h; ++y)
        for (int x = a.x; x < a.x + a.w; ++x) {
            // The capture's rows run from the top.
            const std::size_t i = (static_cast<std::size_t>(image.height - 1 - y) * image.width + x) * 4;
            n += image.pixels[i] > 150 && image.pixels[i + 1] > 150 && image.pixels[i + 2] > 150;
        }
    return n;
}

// Where things are in the network menu's own coordinates, on the window.
area in_menu(float x, float y, int w, int h) {
    return {static_cast<int>(global::network_menu->x + x), static_cast<int>(global::network_menu->y + y), w,
            h};
}

void click_at(float x, float y) {
    x_pointer::move(static_cast<int>(global::network_menu->x + x),
                    static_cast<int>(global::network_menu->y + y), CDisplay::height());
    mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
}

void type(const std::string& text) {
    for (char c : text)
        character_callback(c, glfw2::PRESS);
}

rgba_image whole;

void hud_and_capture() {
    gui_render();
    whole = framebuffer_image();
}

// The whole window as the game draws it, both passes.
rgba_image whole_frame() {
    draw_frame(world_render, hud_and_capture, global::camera);
    return whole;
}

// The area painted black, for comparing what stays the same from one run to the next.
void blank(rgba_image& image, const area& a) {
    for (int y = a.y; y < a.y + a.h; ++y)
        for (int x = a.x; x < a.x + a.w; ++x)
            for (int c = 0; c < 3; ++c)
                image.pixels[(static_cast<std::size_t>(image.height - 1 - y) * image.width + x) * 4 + c] = 0;
}

class NetworkScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        // One start-up for the program: the game's window and globals stay.
        static const bool started = start_game_in("gl_network_screen", ZELVORANT_RUN_DIR);
        ASSERT_TRUE(started);
        ASSERT_TRUE(x_pointer::ready());
        global::settings.rendezvous_server.clear();
        network_screen::open();
        address_field = in_menu(20, 255, 260, 30);
        code_field = in_menu(320, 255, 200, 30);
        under_code = in_menu(320, 195, 200, 55);
    }
    void TearDown() override {
        run::leave_network();
        global::settings.restore();
    }
    // The fields, and the three lines under the code field.
    area address_field{}, code_field{}, under_code{};
};

}  // namespace

TEST_F(NetworkScreen, AClickOnTheCodeFieldTakesTheTypingAndTabGivesItBack) {
    global::settings.rendezvous_server = "127.0.0.1:9";
    const rgba_image before = network_frame();
    EXPECT_GT(text_pixels(before, address_field), 0) << "the cursor is in the address field";
    EXPECT_EQ(text_pixels(before, code_field), 0);

    click_at(420, 270);
    type("kx7");
    const rgba_image typed = network_frame();
    EXPECT_EQ(text_pixels(typed, address_field), 0);
    const int code_text = text_pixels(typed, code_field);
    EXPECT_GT(code_text, 40);

    keyboard_callback(glfw2::KEY_TAB, glfw2::PRESS);
    type("1");
    const rgba_image back = network_frame();
    EXPECT_GT(text_pixels(back, address_field), text_pixels(before, address_field));
    EXPECT_LT(text_pixels(back, code_field), code_text) << "no cursor left in the code field";
}

TEST_F(NetworkScreen, ASpaceTypedInTheAddressIsLeftOutWithAWord) {
    const area above_address = in_menu(0, 300, 300, 50);
    type("192.168.1.2");
    const int before = text_pixels(network_frame(), above_address);
    type(" ");
    EXPECT_GT(text_pixels(network_frame(), above_address), before + 100) << "the space is told of";
}

TEST_F(NetworkScreen, ACodeThatCannotBeOneIsToldUnderItsFieldAndStartsNothing) {
    global::settings.rendezvous_server = "127.0.0.1:9";
    click_at(420, 270);
    type("ab");  // B is not in the codes' alphabet, and two are too few
    EXPECT_EQ(text_pixels(network_frame(), under_code), 0);
    keyboard_callback(glfw2::KEY_ENTER, glfw2::PRESS);
    run::poll();
    EXPECT_FALSE(network_match::active());
    EXPECT_GT(text_pixels(network_frame(), under_code), 50);

    // Without a server the screen says so where the code's problems go, and Join code starts nothing.
    global::settings.rendezvous_server.clear();
    network_screen::open();
    EXPECT_GT(text_pixels(network_frame(), under_code), 50);
    click_at(420, 110);  // "Join code"
    run::poll();
    EXPECT_FALSE(network_match::active());
}

TEST_F(NetworkScreen, HostOnlineShowsTheServersCodeInLargeLetters) {
    server_config config;
    config.address = 0x7f000001;
    config.port = 0;
    CServerLoop loop;
    std::string error;
    ASSERT_TRUE(loop.open(config, error)) << error;
    CRendezvous rendezvous(config, nullptr);
    std::thread serving([&] { loop.run(rendezvous); });
    global::settings.rendezvous_server = rdv::to_string(loop.local());
    global::settings.network_port = unclaimed_port();

    const area big_code = {CDisplay::width() / 2 - 150, CDisplay::height() / 2 - 40, 300, 64};
    click_at(420, 175);  // "Host online"
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (network_match::invite_code().empty() && std::chrono::steady_clock::now() < give_up) {
        run::poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const std::string code = network_match::invite_code();
    EXPECT_EQ(code.size(), 6u);
    const int shown = text_pixels(network_frame(), big_code);
    EXPECT_GT(shown, 1000) << code;
    EXPECT_NE(network_match::note().find("Waiting for a player"), std::string::npos) << network_match::note();

    // The README's picture of it: the same but for the code, which the server draws anew each time, and
    // the port, which the test takes where it finds one free.
    global::fps = 60;
    rgba_image picture = whole_frame();
    if (std::getenv("ZELVORANT_WRITE_DOCS") != nullptr) {
        docs_pictures::write_docs(picture, "network_hosting_online");
    } else {
        rgba_image committed =
            docs_pictures::read_png(docs_pictures::docs_picture("network_hosting_online"), "hosting");
        ASSERT_EQ(committed.width, picture.width) << "write the screenshots again (see README)";
        ASSERT_EQ(committed.height, picture.height);
        // The note under it names the port, this machine's addresses and the router's answer so far.
        const area changing[] = {{big_code.x - 50, big_code.y - 5, big_code.w + 100, big_code.h + 10},
                                 {0, CDisplay::height() / 2 - 290, CDisplay::width(), 190}};
        for (const area& a : changing) {
            blank(picture, a);
            blank(committed, a);
        }
        EXPECT_LT(docs_pictures::difference(picture, committed), 0.001);
    }

    // Gone with the session: the network screen's own panel is back there.
    run::leave_network();
    EXPECT_EQ(network_match::invite_code(), "");
    EXPECT_LT(text_pixels(network_frame(), big_code), shown / 4);
    loop.stop();
    serving.join();
}

// Why a network game ended is told for a while on the screen the player is back on: under the menu
// there, not across its buttons.
TEST_F(NetworkScreen, NotesStandClearOfTheMenusButtons) {
    using namespace global;
    struct screen {
        int game, menu;
        CWindow* window;
        int lowest_button;
    };
    for (const screen& s : {screen{HIDDEN, NETWORK, network_menu, 2}, screen{HIDDEN, MAIN, main_menu, 5}}) {
        game_state = s.game;
        menu_state = s.menu;
        network_match::set_last_word("");
        const rgba_image quiet = whole_frame();
        network_match::set_last_word("Opponent left");
        const rgba_image told = whole_frame();
        const CButton* b = s.window->buttons[s.lowest_button];
        rgba_image button_quiet = quiet, button_told = told;
        const area button = {static_cast<int>(s.window->x + b->x) - 2,
                             static_cast<int>(s.window->y + b->y) - 2, static_cast<int>(b->w) + 4,
                             static_cast<int>(b->h) + 4};
        // Only the button's rectangle is compared.
        for (const area& rest :
             {area{0, 0, CDisplay::width(), button.y},
              area{0, button.y + button.h, CDisplay::width(), CDisplay::height() - button.y - button.h},
              area{0, button.y, button.x, button.h},
              area{button.x + button.w, button.y, CDisplay::width() - button.x - button.w, button.h}}) {
            blank(button_quiet, rest);
            blank(button_told, rest);
        }
        EXPECT_EQ(docs_pictures::difference(button_quiet, button_told), 0) << b->title;
        // The note is there, between the button and the frame rate.
        const area strip = {CDisplay::width() / 2 - 60, 30, 120, button.y - 30};
        EXPECT_GT(text_pixels(told, strip), text_pixels(quiet, strip) + 50) << b->title;
    }
    network_match::set_last_word("");
}
