// The real program in a fresh run folder: it opens its window, and closing the window ends it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gl_window.h"
#include "program_run.h"
// clang-format off
#include "x_session.h"
#include <X11/Xutil.h>
// clang-format on

namespace {

namespace fs = std::filesystem;

class Program : public testing::Test {
  protected:
    void SetUp() override {
        display = x_session::display();
        ASSERT_NE(display, nullptr) << "no X display";
        run = game_folder("window_close", ZELVORANT_RUN_DIR);
        program = std::make_unique<CProgramRun>(run);
    }

    void start() { ASSERT_TRUE(program->start(std::string(ZELVORANT_RUN_DIR) + "/zelvorant")); }
    // Everything the program has printed so far.
    std::string output() const { return program->output(); }
    int exit_status() { return program->wait_exit(); }

    Display* display = nullptr;
    std::string run;
    std::unique_ptr<CProgramRun> program;
};

TEST_F(Program, OpensItsWindowAndEndsWithZeroWhenItIsClosed) {
    start();
    ASSERT_TRUE(wait_for([&] { return output().find("Loading textures...\tDONE") != std::string::npos; }))
        << "printed: " << output();
    Window w = 0;
    ASSERT_TRUE((w = x_session::wait_window("Zelvorant")) != 0);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, w, &attributes));
    EXPECT_EQ(attributes.width, 1024);
    EXPECT_EQ(attributes.height, 600);
    XSizeHints hints{};
    long supplied = 0;
    // Not resizable: the window manager is told its smallest and largest size are the same.
    ASSERT_TRUE(XGetWMNormalHints(display, w, &hints, &supplied));
    EXPECT_TRUE(hints.flags & PMaxSize);
    EXPECT_EQ(hints.min_width, hints.max_width);
    EXPECT_EQ(hints.max_height, 600);
    EXPECT_EQ(output().find("Setting up display...\tDONE"), 0u) << output();

    x_session::close_window(w);
    EXPECT_EQ(exit_status(), 0) << output();
    EXPECT_FALSE(fs::exists(fs::path(run) / "conf"));
}

TEST_F(Program, ClosingDuringTheSplashEndsStartUpWithMinusOne) {
    start();
    Window w = 0;
    ASSERT_TRUE((w = x_session::wait_window("Zelvorant")) != 0);
    x_session::close_window(w);
    EXPECT_EQ(exit_status(), 255) << output();
    EXPECT_EQ(output().find("Loading textures"), std::string::npos) << output();
}

}  // namespace
