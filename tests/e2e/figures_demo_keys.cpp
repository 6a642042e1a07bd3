// figures-demo started without a time limit ends on Escape and when its window is closed.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace {

const std::string DEMO = std::string(ZELVORANT_RUN_DIR) + "/figures-demo";

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

// One connection for the whole program: when its last client leaves, the X server resets, and a
// connection opened during the reset is refused.
Display* shared_display() {
    static Display* d = [] {
        Display* opened = XOpenDisplay(nullptr);
        // The program started from here must not share this connection.
        if (opened)
            fcntl(ConnectionNumber(opened), F_SETFD, FD_CLOEXEC);
        return opened;
    }();
    return d;
}

class Demo : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(DEMO)) << DEMO << " was not built";
        display = shared_display();
        ASSERT_NE(display, nullptr) << "no X display";
        int pipe_fds[2];
        ASSERT_EQ(pipe(pipe_fds), 0);
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Ends with the test program, even if that crashes.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(pipe_fds[1], 1);
            close(pipe_fds[0]);
            close(pipe_fds[1]);
            execl(DEMO.c_str(), "figures-demo", static_cast<char*>(nullptr));
            _exit(121);
        }
        close(pipe_fds[1]);
        out_fd = pipe_fds[0];
        fcntl(out_fd, F_SETFL, O_NONBLOCK);
        ASSERT_TRUE(wait_for([&] {
            return (window = find_window(display, DefaultRootWindow(display), "figures demo")) != 0;
        })) << "no window";
        ASSERT_TRUE(wait_for([&] {
            XWindowAttributes a;
            return XGetWindowAttributes(display, window, &a) && a.map_state == IsViewable;
        }));
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out_fd >= 0)
            close(out_fd);
    }

    // The exit status once the program has ended, or -1000 if it does not end.
    int exit_status() {
        int status = 0;
        if (!wait_for([&] { return waitpid(pid, &status, WNOHANG) == pid; }))
            return -1000;
        pid = -1;
        char buf[512];
        ssize_t n;
        while ((n = read(out_fd, buf, sizeof buf)) > 0)
            printed.append(buf, static_cast<size_t>(n));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
    }

    Display* display = nullptr;
    Window window = 0;
    pid_t pid = -1;
    int out_fd = -1;
    std::string printed;
};

TEST_F(Demo, EscapeEndsIt) {
    int event, error, major, minor;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        GTEST_SKIP() << "no XTest";
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 400, 300, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    const KeyCode esc = XKeysymToKeycode(display, XK_Escape);
    XTestFakeKeyEvent(display, esc, True, CurrentTime);
    XSync(display, False);
    int status = exit_status();
    XTestFakeKeyEvent(display, esc, False, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(status, 0);
    EXPECT_NE(printed.find("figures-demo: "), std::string::npos) << printed;
}

TEST_F(Demo, ClosingTheWindowEndsIt) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &ev);
    XFlush(display);
    EXPECT_EQ(exit_status(), 0);
    EXPECT_NE(printed.find("figures-demo: "), std::string::npos) << printed;
}

}  // namespace
