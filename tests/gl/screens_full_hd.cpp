// Every screen of the game in a 1920 x 1080 window: the interface drawn 1.8 times as large, centred
// between margins of 38 pixels, the world filling the window. The pictures are docs/screenshots/
// <screen>_1920x1080.png, checked and written as those at the default size are (screens.cpp); a
// program opens one window, so each size has its own.
#include <gtest/gtest.h>

#include <cstdlib>

#include "docs_pictures.h"
#include "every_screen.h"
#include "needs.h"

TEST(Screens, EveryScreenAtFullHd) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
    const auto screens = draw_every_screen("screens_full_hd", ZELVORANT_RUN_DIR, 1920, 1080);
    ASSERT_FALSE(screens.empty());
    docs_pictures::compare_with_docs(screens, "_1920x1080", 1920, 1080);
}
