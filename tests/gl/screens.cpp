// Every screen of the game at the size it opens at by default, where the interface's frame is the window:
// the README shows them from docs/screenshots/, and each committed picture must still match its fresh
// render. With ZELVORANT_WRITE_DOCS=1 the captures are written there instead.
#include <gtest/gtest.h>

#include <cstdlib>

#include "docs_pictures.h"
#include "every_screen.h"
#include "needs.h"

TEST(Screens, EveryScreenAtTheDefaultSize) {
    NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
    const auto screens = draw_every_screen("screens", ZELVORANT_RUN_DIR, 1024, 600);
    ASSERT_FALSE(screens.empty());
    docs_pictures::compare_with_docs(screens, "", 1024, 600);
}
