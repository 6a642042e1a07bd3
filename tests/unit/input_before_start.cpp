// Input and the how-to-play scene before start-up has created the stations and menus: an event that
// arrives that early changes nothing and must not touch what does not exist yet.
#include <gtest/gtest.h>

#include "game/input/keyboard.h"
#include "game/sim/global.h"
#include "game/sim/presentation.h"
#include "game/ui/menu_windows.h"
#include "game/ui/screen_flow.h"
#include "platform/glfw2.h"

using namespace global;

TEST(BeforeStartUp, EventsAndTheSceneChangeNothing) {
    ASSERT_EQ(station1, nullptr);
    ASSERT_EQ(main_menu, nullptr);
    const size_t bodies = particles.size();
    for (int state : {ON, PAUSED, HIDDEN, ENDED}) {
        game_state = state;
        menu_state = state == ON ? NONE : MAIN;
        for (int key : {glfw2::KEY_ESC, glfw2::KEY_ENTER, static_cast<int>('D'), -1}) {
            keyboard_callback(key, glfw2::PRESS);
            keyboard_callback(key, glfw2::RELEASE);
        }
        mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
        character_callback('a', glfw2::PRESS);
        EXPECT_EQ(game_state, state);
        EXPECT_EQ(menu_state, state == ON ? NONE : MAIN);
    }
    presentation();
    EXPECT_EQ(particles.size(), bodies);
    EXPECT_FLOAT_EQ(camera[2], -20.0f);
}
