// The real program in a fresh run folder: it opens its window, and closing the window ends it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "gl_window.h"

namespace {

namespace fs = std::filesystem;

// Bounded waiting for the program or the X server; nothing here measures time.
template <typename F>
bool wait_for(F done, int seconds = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

Window find_window(Display* d, Window parent, const char* title) {
    Window root_return, parent_return, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(d, parent, &root_return, &parent_return, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(d, children[i], &name) && name) {
            if (std::strcmp(name, title) == 0)
                found = children[i];
            XFree(name);
        }
        if (!found)
            found = find_window(d, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

class Program : public testing::Test {
  protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X display";
        run = scratch_dir("window_close");
        fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(run) / "gfx");
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out_fd >= 0)
            close(out_fd);
        if (display)
            XCloseDisplay(display);
    }

    void start() {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            if (chdir(run.c_str()) != 0)
                _exit(120);
            const std::string program = std::string(ZELVORANT_RUN_DIR) + "/zelvorant";
            execl(program.c_str(), "zelvorant", static_cast<char*>(nullptr));
            _exit(121);
        }
        close(fds[1]);
        out_fd = fds[0];
        fcntl(out_fd, F_SETFL, O_NONBLOCK);
    }

    // Everything the program has printed so far.
    const std::string& output() {
        char buf[512];
        ssize_t n;
        while ((n = read(out_fd, buf, sizeof buf)) > 0)
            printed.append(buf, static_cast<size_t>(n));
        return printed;
    }

    void close_window(Window w) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, w, False, NoEventMask, &ev);
        XFlush(display);
    }

    // The exit status once the program has ended, or -1000 if it does not end.
    int exit_status() {
        int status = 0;
        if (!wait_for([&] { return waitpid(pid, &status, WNOHANG) == pid; }))
            return -1000;
        pid = -1;
        output();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
    }

    Display* display = nullptr;
    std::string run;
    pid_t pid = -1;
    int out_fd = -1;
    std::string printed;
};

TEST_F(Program, OpensItsWindowAndEndsWithZeroWhenItIsClosed) {
    start();
    ASSERT_TRUE(wait_for([&] { return output().find("Loading textures...\tDONE") != std::string::npos; }))
        << "printed: " << output();
    Window w = 0;
    ASSERT_TRUE(
        wait_for([&] { return (w = find_window(display, DefaultRootWindow(display), "Zelvorant")) != 0; }));
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

    close_window(w);
    EXPECT_EQ(exit_status(), 0) << output();
    EXPECT_FALSE(fs::exists(fs::path(run) / "conf"));
}

TEST_F(Program, ClosingDuringTheSplashEndsStartUpWithMinusOne) {
    start();
    Window w = 0;
    ASSERT_TRUE(
        wait_for([&] { return (w = find_window(display, DefaultRootWindow(display), "Zelvorant")) != 0; }));
    close_window(w);
    EXPECT_EQ(exit_status(), 255) << output();
    EXPECT_EQ(output().find("Loading textures"), std::string::npos) << output();
}

}  // namespace
