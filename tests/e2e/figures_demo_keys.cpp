// figures-demo started without a time limit ends on Escape and when its window is closed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gl_window.h"
#include "needs.h"
#include "program_run.h"
#include "scratch_folder.h"
#include "x_session.h"

namespace {

const std::string DEMO = std::string(ZELVORANT_RUN_DIR) + "/figures-demo";

class Demo : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(DEMO)) << DEMO << " was not built";
        ASSERT_NE(x_session::display(), nullptr) << "no X display";
        demo = std::make_unique<CProgramRun>(scratch_dir("figures_demo_keys"));
        ASSERT_TRUE(demo->start(DEMO));
        ASSERT_TRUE((window = x_session::wait_window("figures demo")) != 0) << "no window";
        ASSERT_TRUE(x_session::wait_viewable(window));
    }

    // The exit status once the program has ended, or -1000 if it does not end.
    int exit_status() {
        const int status = demo->wait_exit();
        printed = demo->output();
        return status;
    }

    Window window = 0;
    std::unique_ptr<CProgramRun> demo;
    std::string printed;
};

TEST_F(Demo, EscapeEndsIt) {
    NEEDS(x_session::has_xtest(), "XTest");
    x_session::point(window, 400, 300);
    x_session::key("Escape", true);
    const int status = exit_status();
    x_session::key("Escape", false);
    EXPECT_EQ(status, 0);
    EXPECT_NE(printed.find("figures-demo: "), std::string::npos) << printed;
}

TEST_F(Demo, ClosingTheWindowEndsIt) {
    x_session::close_window(window);
    EXPECT_EQ(exit_status(), 0);
    EXPECT_NE(printed.find("figures-demo: "), std::string::npos) << printed;
}

}  // namespace
