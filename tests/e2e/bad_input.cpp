// What a player gets from the real program when its inputs are bad: broken pictures, a "conf" asking
// for a window that cannot open, a working folder where the options cannot be saved.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gl_window.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace fs = std::filesystem;

namespace {

Display* display() {
    static Display* d = XOpenDisplay(nullptr);
    return d;
}

using clock_type = std::chrono::steady_clock;

bool wait_for(const std::function<bool()>& done, double seconds) {
    const auto end = clock_type::now() + std::chrono::duration<double>(seconds);
    while (clock_type::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

void let_run(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_bytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string FIRST_LINE = "Setting up display...\tDONE\n";

// A run of the real program in a folder of its own; its standard output and error go to files there.
class CRun {
  public:
    // Prepares the folder; `prepare` may fill it before the program starts.
    explicit CRun(const std::string& name) : dir(scratch_dir("e2e_bad_" + name)) {
        fs::create_symlink(fs::path(ZELVORANT_RUN_DIR) / "zelvorant", fs::path(dir) / "zelvorant");
    }
    ~CRun() {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        chmod(dir.c_str(), 0755);  // so that the next run can empty it
    }

    // Starts the program. With read_only, the folder is made unwritable for it first (as root, the
    // program then runs as the user nobody, since root writes anywhere).
    void start(bool read_only = false) {
        std::string xauth;
        if (read_only) {
            chmod(dir.c_str(), 0555);
            // The unprivileged program must still reach the X server.
            if (const char* a = std::getenv("XAUTHORITY")) {
                xauth = dir + "/../" + fs::path(dir).filename().string() + ".xauth";
                fs::copy_file(a, xauth, fs::copy_options::overwrite_existing);
                chmod(xauth.c_str(), 0644);
            }
        }
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0)
                _exit(120);
            if (!std::freopen("stdout.txt", "w", stdout) || !std::freopen("stderr.txt", "w", stderr))
                _exit(121);
            if (read_only && geteuid() == 0) {
                if (!xauth.empty())
                    setenv("XAUTHORITY", xauth.c_str(), 1);
                const gid_t nobody_group = 65534;
                if (setgroups(0, nullptr) != 0 || setgid(nobody_group) != 0 || setuid(65534) != 0)
                    _exit(123);
            }
            execl("./zelvorant", "zelvorant", static_cast<char*>(nullptr));
            _exit(122);
        }
    }

    std::string output() const { return read_text(dir + "/stdout.txt"); }
    std::string errors() const { return read_text(dir + "/stderr.txt"); }
    bool wait_output(const std::string& text, double seconds = 20) {
        return wait_for([&] { return output() == text; }, seconds);
    }

    bool find_window(double seconds = 20) {
        return wait_for(
            [&] {
                Window root, parent;
                Window* children = nullptr;
                unsigned int count = 0;
                if (!XQueryTree(display(), DefaultRootWindow(display()), &root, &parent, &children, &count))
                    return false;
                for (unsigned int i = 0; i < count && window == 0; ++i) {
                    char* name = nullptr;
                    if (XFetchName(display(), children[i], &name) && name) {
                        if (std::strcmp(name, "Zelvorant") == 0)
                            window = children[i];
                        XFree(name);
                    }
                }
                if (children)
                    XFree(children);
                return window != 0;
            },
            seconds);
    }

    void point(int x, int y) const {
        int rx = 0, ry = 0;
        Window child;
        XTranslateCoordinates(display(), window, DefaultRootWindow(display()), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(display(), -1, rx, ry, CurrentTime);
        XSync(display(), False);
    }
    // A left click at window pixels from the lower left (a 600-pixel-high window), as menus are laid out.
    void click(int x, int y) const {
        point(x, 600 - y);
        let_run(0.1);
        XTestFakeButtonEvent(display(), 1, True, CurrentTime);
        XSync(display(), False);
        let_run(0.05);
        XTestFakeButtonEvent(display(), 1, False, CurrentTime);
        XSync(display(), False);
        let_run(0.3);
    }
    void key(const char* keysym, bool down) const {
        XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), XStringToKeysym(keysym)), down, CurrentTime);
        XSync(display(), False);
    }
    // Holds Escape from the splash until loading is over (the splash polls it once a frame).
    bool skip_splash(const std::string& loaded) {
        if (!wait_for([&] { return output().rfind(FIRST_LINE, 0) == 0; }, 20) || !find_window())
            return false;
        point(500, 300);
        key("Escape", true);
        const bool done = wait_output(loaded);
        key("Escape", false);
        let_run(0.3);
        return done;
    }
    void close() const {
        XEvent e;
        std::memset(&e, 0, sizeof e);
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(display(), "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(display(), "WM_DELETE_WINDOW", False));
        XSendEvent(display(), window, False, NoEventMask, &e);
        XSync(display(), False);
    }
    bool running() {
        if (!exited && waitpid(pid, &status, WNOHANG) == pid)
            exited = true;
        return !exited;
    }
    // The exit status (-1 - signal when killed by one), or -1000 when it has not ended in time.
    int wait_exit(double seconds = 20) {
        if (!wait_for([&] { return !running(); }, seconds))
            return -1000;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1 - WTERMSIG(status);
    }

    // How much of the window's top-right status corner is lit: the HUD of a match.
    bool match_hud_shown() const {
        int rx = 0, ry = 0;
        Window child;
        XTranslateCoordinates(display(), window, DefaultRootWindow(display()), 0, 0, &rx, &ry, &child);
        XImage* image = XGetImage(display(), DefaultRootWindow(display()), rx + 1024 - 180, ry + 15, 140, 75,
                                  AllPlanes, ZPixmap);
        if (!image)
            return false;
        long r = 0, g = 0, b = 0;
        for (int y = 0; y < 75; ++y)
            for (int x = 0; x < 140; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                r += (p >> 16) & 0xff;
                g += (p >> 8) & 0xff;
                b += p & 0xff;
            }
        XDestroyImage(image);
        return r > 2 * g && r > 2 * b && r / (140 * 75) > 25;
    }

    const std::string dir;

  private:
    pid_t pid = -1;
    bool exited = false;
    int status = 0;
    Window window = 0;
};

class BadInput : public ::testing::Test {
  protected:
    void SetUp() override {
        if (display() == nullptr)
            GTEST_SKIP() << "no X display";
        int event, error, major, minor;
        if (!XTestQueryExtension(display(), &event, &error, &major, &minor))
            GTEST_SKIP() << "no XTest";
    }
};

// An 18-byte TGA header.
std::vector<uint8_t> tga_header(int type, int width, int height, int bits) {
    return {0,
            0,
            static_cast<uint8_t>(type),
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            static_cast<uint8_t>(width & 0xff),
            static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(height & 0xff),
            static_cast<uint8_t>(height >> 8),
            static_cast<uint8_t>(bits),
            8};
}

TEST_F(BadInput, BrokenPicturesAreReportedOneLineEachAndTheGameStillPlays) {
    CRun run("pictures");
    const fs::path gfx = fs::path(run.dir) / "gfx";
    fs::create_directory(gfx);
    for (const auto& entry : fs::directory_iterator(fs::path(ZELVORANT_RUN_DIR) / "gfx"))
        fs::copy_file(entry.path(), gfx / entry.path().filename());

    // The splash and five of the table's pictures, each broken its own way.
    std::vector<uint8_t> bytes = read_bytes(gfx / "splash.tga");
    ASSERT_GT(bytes.size(), 100u) << "the pictures are not built";
    bytes.resize(bytes.size() / 2);  // truncated pixels
    write_bytes(gfx / "splash.tga", bytes);
    bytes = read_bytes(gfx / "particle.tga");
    bytes.resize(17);  // not even a whole header
    write_bytes(gfx / "particle.tga", bytes);
    write_bytes(gfx / "missile.tga", {});                               // empty
    write_bytes(gfx / "explode.tga", tga_header(2, 60000, 60000, 32));  // far too large, and no pixels
    std::vector<uint8_t> garbage(4000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 7919 >> 3);
    write_bytes(gfx / "clouds.tga", garbage);  // not a picture at all
    std::vector<uint8_t> rle = tga_header(10, 64, 64, 32);
    rle.insert(rle.end(), {0xff, 1, 2, 3, 4, 0x7f, 9});  // runs that stop far short of 64 x 64
    write_bytes(gfx / "logo.tga", rle);

    std::string expected = FIRST_LINE + "error\nLoading textures...\t";
    for (int i = 0; i < 5; ++i)
        expected += "error\n";
    expected += "DONE\n";

    run.start();
    ASSERT_TRUE(run.skip_splash(expected)) << run.output();
    // A match with the broken missile, trail and explosion pictures: fire, let it play on.
    run.click(150, 450);  // "Multiplayer"
    ASSERT_TRUE(wait_for([&] { return run.match_hud_shown(); }, 10));
    run.point(500, 200);
    run.key("d", true);
    let_run(0.6);
    run.key("d", false);
    run.key("f", true);
    run.key("f", false);
    let_run(3);
    EXPECT_TRUE(run.running());
    EXPECT_TRUE(run.match_hud_shown());
    run.close();
    EXPECT_EQ(run.wait_exit(), 0);
    EXPECT_EQ(run.output(), expected);
}

TEST_F(BadInput, ConfAskingForAWindowThatCannotOpenFailsStartUp) {
    CRun run("window");
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(run.dir) / "gfx");
    // No display can hold a window of 100000 x 100000 pixels.
    std::ofstream(run.dir + "/conf") << "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n"
                                        "306 red_cw\n309 red_ccw\n307 red_primary\n308 red_secondary\n"
                                        "100000 100000\n0";
    run.start();
    EXPECT_EQ(run.wait_exit(), 255);
    EXPECT_EQ(run.output(), "Setting up display...\tFAIL\n");
}

TEST_F(BadInput, OptionsThatCannotBeSavedSaySoAndTheGameGoesOn) {
    CRun run("read_only");
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(run.dir) / "gfx");
    run.start(true);
    const std::string loaded = FIRST_LINE + "Loading textures...\tDONE\n";
    ASSERT_TRUE(run.skip_splash(loaded)) << run.output() << run.errors();

    run.click(150, 375);  // "Options"
    let_run(0.5);
    run.click(450, 55);  // "Save"
    ASSERT_TRUE(wait_for([&] { return run.errors().find("conf") != std::string::npos; }, 10))
        << "no message about the options not being saved; stderr: " << run.errors();
    EXPECT_FALSE(fs::exists(run.dir + "/conf"));

    // Back on the title screen, a match still starts and runs.
    run.click(150, 450);  // "Multiplayer"
    EXPECT_TRUE(wait_for([&] { return run.match_hud_shown(); }, 10));
    let_run(1);
    EXPECT_TRUE(run.running());
    run.close();
    EXPECT_EQ(run.wait_exit(), 0);
    EXPECT_EQ(run.output(), loaded);
}

}  // namespace
