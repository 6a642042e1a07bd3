// The real program in a fresh run folder, driven by real X input events (XTest), watched through its
// standard output, its exit status, the "conf" it writes and the pixels of its window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "command_lists.h"
#include "game/replay/replay_file.h"
#include "game/sim/global.h"
#include "game/sim/opponent_kind.h"
#include "gl_window.h"
#include "graphics/interface_frame.h"
#include "needs.h"
#include "program_run.h"
// Last: Xlib defines macros (None, Bool, Status) that would break the headers above.
#include "scratch_folder.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

using x_session::display;
using clock_type = std::chrono::steady_clock;
// The interface's frame, which the game scales to its window.
constexpr int FRAME_W = 1024;
constexpr int FRAME_H = 600;
using rgb = x_session::rgb;
// A capture of the game window, addressed from its top-left corner as X does.
using screenshot = x_session::capture;

bool greyish(rgb c) {
    return std::abs(c.r - c.g) < 20 && std::abs(c.g - c.b) < 20 && c.r >= 100;
}

const std::string FIRST_LINE = "Setting up display...\tDONE\n";
const std::string BOTH_LINES = FIRST_LINE + "Loading textures...\tDONE\n";

class game {
  public:
    explicit game(const std::string& name, bool with_pictures = true, const std::string& conf = "")
        : run_(scratch_dir("e2e_" + name)) {
        run_.link(std::string(ZELVORANT_RUN_DIR) + "/zelvorant");
        run_.link(std::string(ZELVORANT_RUN_DIR) + "/sfx");
        if (with_pictures)
            fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(folder()) / "gfx");
        if (!conf.empty())
            std::ofstream(folder() + "/conf", std::ios::binary) << conf;
        run_.start("./zelvorant");
    }

    const std::string& folder() const { return run_.folder(); }
    std::string output() const { return run_.output(); }
    std::string conf() const { return read_text(folder() + "/conf"); }
    bool has_conf() const { return fs::exists(folder() + "/conf"); }
    bool running() { return run_.running(); }

    bool wait_output(const std::string& text, double seconds = 20) { return run_.wait_output(text, seconds); }

    // The top-level window titled "Zelvorant".
    bool find_window(double seconds = 20) {
        return (window_ = x_session::wait_window("Zelvorant", seconds)) != 0;
    }

    void size(int* w, int* h) const { x_session::size(window_, w, h); }

    // Moves the real pointer to (x, y) of the window, from its top-left corner.
    void point(int x, int y) const { x_session::point(window_, x, y); }

    // Where the game's interface frame lies in the window.
    frame_mapping frame() const {
        int w = 0, h = 0;
        size(&w, &h);
        return map_frame(FRAME_W, FRAME_H, w, h);
    }

    // A left click at point (x, y) of the interface's frame, origin at its lower left, as the menus are
    // laid out.
    void click(double x, double y) const {
        float wx = 0, wy = 0;
        frame().to_window(static_cast<float>(x), static_cast<float>(y), wx, wy);
        x_session::click(window_, static_cast<int>(std::lround(wx)), static_cast<int>(std::lround(wy)), 0.2);
    }

    void key_down(const char* keysym) const { x_session::key(keysym, true); }
    void key_up(const char* keysym) const { x_session::key(keysym, false); }
    void tap(const char* keysym) const {
        key_down(keysym);
        let_run(0.05);
        key_up(keysym);
        let_run(0.2);
    }

    // The polite close a window manager sends when the user closes the window.
    void close() const { x_session::close_window(window_); }

    // The exit status, or -1000 when the program has not ended in time.
    int wait_exit(double seconds = 20) { return run_.wait_exit(seconds); }

    screenshot shot() const {
        int w = 0, h = 0;
        size(&w, &h);
        return x_session::grab(window_, 0, 0, w, h);
    }
    // The part of a window larger than the screen that the screen shows, from its top-left corner.
    screenshot visible_shot() const {
        int w = 0, h = 0;
        size(&w, &h);
        const int screen = DefaultScreen(display());
        return x_session::grab(window_, 0, 0, std::min(w, DisplayWidth(display(), screen)),
                               std::min(h, DisplayHeight(display(), screen)));
    }

    // Holds Escape over the window from the moment the splash is up until loading has finished; the
    // splash polls the key once per frame, so a short tap could fall between two polls.
    void skip_splash(const std::string& loaded = BOTH_LINES) {
        ASSERT_TRUE(wait_output(FIRST_LINE)) << output();
        ASSERT_TRUE(find_window());
        point(500, 300);
        key_down("Escape");
        const bool done = wait_output(loaded);
        key_up("Escape");
        let_run(0.2);
        ASSERT_TRUE(done) << output();
    }

  private:
    CProgramRun run_;
    Window window_ = 0;
};

// Where the interface's frame lies in a window as large as the capture.
frame_mapping frame_of(const screenshot& s) {
    return map_frame(FRAME_W, FRAME_H, s.width, s.height);
}

// A menu button's outline: a straight grey (or, under the pointer, white) line along its left edge.
// (x, y) is the button's lower-left corner and h its height in the interface's frame, which `m` places
// in the window; the capture starts at the window's top-left corner.
bool button_at(const screenshot& s, const frame_mapping& m, double x, double y, double h) {
    if (s.width == 0)
        return false;
    const int left = static_cast<int>(m.left + x * m.scale);
    const int top = m.window_height - static_cast<int>(m.bottom + (y + h) * m.scale);
    const int height = static_cast<int>(h * m.scale);
    for (int col = left - 2; col <= left + 2; ++col) {
        if (col < 0 || col >= s.width)
            continue;
        int grey = 0, total = 0;
        for (int row = top + 5; row < top + height - 5; ++row) {
            if (row < 0 || row >= s.height)
                continue;
            ++total;
            grey += greyish(s.at(col, row));
        }
        if (total > 0 && grey * 10 >= total * 9)
            return true;
    }
    return false;
}

bool button_at(const screenshot& s, double x, double y, double h) {
    return button_at(s, frame_of(s), x, y, h);
}

// Screens, told apart by their buttons and panels, laid out in the interface's frame at any window size.
// The main menu hugs the frame's top-left corner.
bool title_screen(const screenshot& s) {
    return button_at(s, 50, FRAME_H - 100, 50) && button_at(s, 50, FRAME_H - 175, 50);
}
bool pause_menu(const screenshot& s) {
    return button_at(s, 412, 387.5, 50) && button_at(s, 412, 162.5, 50);
}
bool difficulty_menu(const screenshot& s) {
    return button_at(s, 412, 350, 50) && button_at(s, 412, 200, 50);
}
bool options_screen(const screenshot& s) {
    return button_at(s, 400, 30, 50) && button_at(s, 525, 30, 50);
}
bool how_to_play(const screenshot& s) {
    return button_at(s, 794, 30, 50) && !title_screen(s);
}

// The red player's panel, a dark red box under the noise picture at the frame's top right.
bool status_panel(const screenshot& s) {
    if (s.width == 0)
        return false;
    const frame_mapping m = frame_of(s);
    const pixel_rect box = m.to_window({FRAME_W - 180, FRAME_H - 90, 140, 75});
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = s.height - box.y - box.height; y < s.height - box.y; ++y)
        for (int x = box.x; x < box.x + box.width; ++x) {
            const rgb c = s.at(x, y);
            r += c.r;
            g += c.g;
            b += c.b;
            ++n;
        }
    return r > 2 * g && r > 2 * b && r / n > 25;
}

// Pixels that changed clearly between two captures inside a rectangle (top-left origin).
int changed(const screenshot& a, const screenshot& b, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const rgb p = a.at(x, y), q = b.at(x, y);
            n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 60;
        }
    return n;
}

void save_ppm(const screenshot& s, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << s.width << " " << s.height << "\n255\n";
    for (const rgb& c : s.pixels)
        out << static_cast<char>(c.r) << static_cast<char>(c.g) << static_cast<char>(c.b);
}

// Waits for a screen; when it does not come, the last capture is kept in the scratch folder.
bool wait_screen(game& g, bool (*screen)(const screenshot&), double seconds = 15) {
    screenshot last;
    const bool seen = wait_for(
        [&] {
            last = g.shot();
            return screen(last);
        },
        seconds);
    if (!seen) {
        const std::string path = g.folder() + "/last_screen.ppm";
        save_ppm(last, path);
        ADD_FAILURE() << "expected screen not shown; last capture in " << path;
    }
    return seen;
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        NEEDS(display() != nullptr, "an X display");
        NEEDS(x_session::has_xtest(), "XTest");
    }
};

TEST_F(EndToEnd, StartsWithoutConfSkipsTheSplashAndQuits) {
    game g("start");
    ASSERT_TRUE(g.wait_output(FIRST_LINE)) << g.output();
    ASSERT_TRUE(g.find_window());
    g.point(500, 300);
    const auto pressed = clock_type::now();
    g.key_down("Escape");
    ASSERT_TRUE(g.wait_output(BOTH_LINES)) << g.output();
    g.key_up("Escape");
    // The whole splash takes over three seconds of real time; skipped, loading follows at once.
    EXPECT_LT(std::chrono::duration<double>(clock_type::now() - pressed).count(), 3.0);

    ASSERT_TRUE(wait_screen(g, title_screen));
    int w = 0, h = 0;
    g.size(&w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 600);
    EXPECT_FALSE(status_panel(g.shot()));

    g.click(150, 225);  // "Quit", below the main menu window's lower edge
    EXPECT_EQ(g.wait_exit(), 0);
    EXPECT_EQ(g.output(), BOTH_LINES);
    EXPECT_FALSE(g.has_conf());
}

TEST_F(EndToEnd, MultiplayerMatchFiresAMissileAndPauses) {
    game g("match");
    g.skip_splash();
    ASSERT_TRUE(wait_screen(g, title_screen));
    g.click(150, 450);  // "Multiplayer"
    ASSERT_TRUE(wait_screen(g, status_panel));
    EXPECT_FALSE(title_screen(g.shot()));

    // Below the blue station, which starts under its planet and aims straight down.
    const int x0 = 250, y0 = 450, x1 = 560, y1 = 590;
    const screenshot before = g.shot();
    let_run(1.0);
    const screenshot idle = g.shot();
    EXPECT_LT(changed(before, idle, x0, y0, x1, y1), 20) << "the scene below the station moved by itself";

    g.point(500, 200);
    g.key_down("d");
    let_run(0.5);
    g.key_up("d");
    int trail = 0;
    wait_for(
        [&] {
            trail = changed(before, g.shot(), x0, y0, x1, y1);
            return trail >= 60;
        },
        5);
    EXPECT_GE(trail, 60) << "no missile flew down from the blue station";

    g.tap("Escape");
    ASSERT_TRUE(wait_screen(g, pause_menu));
    g.click(512, 412);  // "Resume"
    ASSERT_TRUE(wait_for([&] { return !pause_menu(g.shot()); }, 10));
    EXPECT_TRUE(status_panel(g.shot()));

    g.close();
    EXPECT_EQ(g.wait_exit(), 0);
    EXPECT_EQ(g.output(), BOTH_LINES);
}

TEST_F(EndToEnd, OptionsAreSavedAndUsedAtTheNextStart) {
    std::string saved;
    {
        game g("options");
        g.skip_splash();
        ASSERT_TRUE(wait_screen(g, title_screen));
        g.click(150, 375);  // "Options"
        ASSERT_TRUE(wait_screen(g, options_screen));
        g.click(175, 515);  // blue "Turn clockwise" key button
        g.point(700, 300);
        g.tap("k");
        g.click(340, 245);  // ">": 1024x600 becomes 1024x768
        g.click(240, 195);  // "Fullscreen OFF" becomes "Fullscreen ON"
        g.click(450, 55);   // "Save"
        ASSERT_TRUE(wait_screen(g, title_screen));
        EXPECT_EQ(g.conf(),
                  "75 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
                  "307 red_primary\n308 red_secondary\n1024 768\n1");

        // Back in, the toggle reads "Fullscreen ON"; once more makes it OFF again.
        g.click(150, 375);
        ASSERT_TRUE(wait_screen(g, options_screen));
        g.click(240, 195);
        g.click(450, 55);
        ASSERT_TRUE(wait_screen(g, title_screen));
        saved = g.conf();
        EXPECT_EQ(saved,
                  "75 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
                  "307 red_primary\n308 red_secondary\n1024 768\n0");
        g.close();
        EXPECT_EQ(g.wait_exit(), 0);
    }
    game again("options_again", true, saved);
    again.skip_splash();
    int w = 0, h = 0;
    again.size(&w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    again.close();
    EXPECT_EQ(again.wait_exit(), 0);
}

TEST_F(EndToEnd, FullscreenFromConfFillsTheScreen) {
    game g("fullscreen", true,
           "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
           "307 red_primary\n308 red_secondary\n1024 768\n1");
    g.skip_splash();
    // Xvfb offers a single video mode, the screen's own size, so that is the closest one.
    int w = 0, h = 0;
    g.size(&w, &h);
    EXPECT_EQ(w, DisplayWidth(display(), DefaultScreen(display())));
    EXPECT_EQ(h, DisplayHeight(display(), DefaultScreen(display())));
    // The menus are drawn where the frame lies in the window of the real size.
    ASSERT_TRUE(wait_screen(g, title_screen));
    g.close();
    EXPECT_EQ(g.wait_exit(), 0);
}

// At 1920 x 1080 the interface is drawn 1.8 times as large between margins of 38 pixels: the title's
// buttons stand where that puts them, not where the 1024 x 600 layout would on its own, and real clicks
// there reach them. The window is larger than the test's screen; what matters lies on it.
TEST_F(EndToEnd, AtFullHdTheTitleMenuIsScaledAndAnswersClicksThere) {
    game g("full_hd", true,
           "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
           "307 red_primary\n308 red_secondary\n1920 1080\n0");
    g.skip_splash();
    int w = 0, h = 0;
    g.size(&w, &h);
    ASSERT_EQ(w, 1920);
    ASSERT_EQ(h, 1080);
    const frame_mapping m = g.frame();
    ASSERT_FLOAT_EQ(m.scale, 1.8f);
    ASSERT_EQ(m.left, 38);
    const auto title = [&](const screenshot& s) {
        for (const float y : {500, 425, 350, 275, 200, 125})
            if (!button_at(s, m, 50, y, 50))
                return false;
        return true;
    };
    ASSERT_TRUE(wait_for([&] { return title(g.visible_shot()); }, 15)) << "no scaled title menu";
    // Unscaled, the first button would hug the window's top-left corner.
    EXPECT_FALSE(button_at(g.visible_shot(), map_frame(w, h, w, h), 50, h - 100, 50));

    g.click(150, 375);  // "Options"
    const auto options = [&](const screenshot& s) {
        return button_at(s, m, 125, 500, 30) && button_at(s, m, 250, 350, 30) && !title(s);
    };
    ASSERT_TRUE(wait_for([&] { return options(g.visible_shot()); }, 15)) << "Options did not open";
    g.click(575, 55);  // "Cancel"
    ASSERT_TRUE(wait_for([&] { return title(g.visible_shot()); }, 15)) << "Cancel did not return";
    g.click(150, 225);  // "Quit"
    EXPECT_EQ(g.wait_exit(), 0);
    EXPECT_EQ(g.output(), BOTH_LINES);
}

TEST_F(EndToEnd, HowToPlayNamesTheKeysAndItAndTheDifficultyChoiceReturnToTheTitle) {
    game g("howto");
    g.skip_splash();
    ASSERT_TRUE(wait_screen(g, title_screen));
    const screenshot title = g.shot();
    g.click(150, 300);  // "How to play"
    ASSERT_TRUE(wait_screen(g, how_to_play));
    // The frozen scene of play is drawn behind the texts: the world is no longer the bare starfield.
    const screenshot before = g.shot();
    EXPECT_GT(changed(title, before, 300, 100, 1000, 450), 2000);
    g.tap("Escape");
    ASSERT_TRUE(wait_screen(g, title_screen));

    // Escape ends a key button's wait and binds nothing; the key pressed after a new click is bound.
    g.click(150, 375);  // "Options"
    ASSERT_TRUE(wait_screen(g, options_screen));
    g.click(175, 515);  // blue "Turn clockwise" key button
    g.point(700, 300);
    g.tap("Escape");
    g.tap("j");
    g.click(175, 465);  // blue "Turn counter-clockwise"
    g.point(700, 300);
    g.tap("k");
    g.click(450, 55);  // "Save"
    ASSERT_TRUE(wait_screen(g, title_screen));
    EXPECT_EQ(g.conf().substr(0, 22), "65 blue_cw\n75 blue_ccw");

    // The scene names the key now bound, in the blue column's second row, and nothing else changed.
    g.click(150, 300);
    ASSERT_TRUE(wait_screen(g, how_to_play));
    const screenshot after = g.shot();
    EXPECT_GT(changed(before, after, 900, 417, 927, 439), 20);
    EXPECT_EQ(changed(before, after, 0, 0, 1024, 412), 0);
    EXPECT_EQ(changed(before, after, 0, 444, 1024, 570), 0);
    g.click(894, 55);  // "Main menu"
    ASSERT_TRUE(wait_screen(g, title_screen));

    g.click(150, 525);  // "Singleplayer"
    ASSERT_TRUE(wait_screen(g, difficulty_menu));
    g.tap("Escape");
    ASSERT_TRUE(wait_screen(g, title_screen));

    g.close();
    EXPECT_EQ(g.wait_exit(), 0);
}

TEST_F(EndToEnd, ClosingDuringTheSplashFailsStartUp) {
    game g("close_splash");
    ASSERT_TRUE(g.wait_output(FIRST_LINE)) << g.output();
    ASSERT_TRUE(g.find_window());
    g.close();
    EXPECT_EQ(g.wait_exit(), 255);
    EXPECT_EQ(g.output(), FIRST_LINE);
}

TEST_F(EndToEnd, StartsWithoutPicturesAndSaysSoOncePerPicture) {
    game g("no_gfx", false);
    std::string expected = FIRST_LINE + "error\nLoading textures...\t";
    for (int i = 0; i < 21; ++i)
        expected += "error\n";
    expected += "DONE\n";
    g.skip_splash(expected);
    ASSERT_TRUE(wait_screen(g, title_screen));
    g.close();
    EXPECT_EQ(g.wait_exit(), 0);
    EXPECT_EQ(g.output(), expected);
}

}  // namespace

// The gunner chosen by clicks in the difficulty window: the choice is saved in "settings", the match
// starts against it, and the recording the program writes holds the red station's own turn keys.
TEST_F(EndToEnd, TheGunnerIsChosenByClicksAndTurnsItsAim) {
    game g("gunner");
    g.skip_splash();
    ASSERT_TRUE(wait_screen(g, title_screen));
    g.click(150, 525);  // "Singleplayer"
    ASSERT_TRUE(wait_screen(g, difficulty_menu));
    const screenshot classic = g.shot();
    g.click(512, 175);  // "Opponent: Classic", under the three levels
    ASSERT_TRUE(wait_for([&] { return fs::exists(g.folder() + "/settings"); }, 10));
    EXPECT_NE(read_text(g.folder() + "/settings").find("opponent = gunner"), std::string::npos);
    g.point(700, 20);
    let_run(0.3);
    const screenshot gunner = g.shot();
    save_ppm(gunner, g.folder() + "/difficulty.ppm");
    // Only the opponent button's title changed: the levels' buttons are where they were.
    EXPECT_GT(changed(classic, gunner, 372, 600 - 192, 652, 600 - 158), 50);
    EXPECT_TRUE(difficulty_menu(gunner));
    g.click(512, 225);  // "Hard"
    ASSERT_TRUE(wait_screen(g, status_panel));
    let_run(6.0);
    save_ppm(g.shot(), g.folder() + "/match.ppm");
    g.close();
    EXPECT_EQ(g.wait_exit(), 0);
    EXPECT_EQ(g.output(), BOTH_LINES);

    std::vector<fs::path> written;
    for (const auto& e : fs::directory_iterator(g.folder() + "/replays"))
        written.push_back(e.path());
    ASSERT_EQ(written.size(), 1u);
    match_recording r;
    ASSERT_EQ(read_recording(written[0].string(), r), RECORDING_OK);
    EXPECT_EQ(r.start.opponent, global::GUNNER_OPPONENT);
    EXPECT_EQ(r.start.difficulty, global::HARD);
    int turns = 0;
    for (const recorded_command& c : commands_of(r.commands))
        turns += c.command.target == TARGET_RED &&
                 (c.command.code == CMD_TURN_CW_ON || c.command.code == CMD_TURN_CCW_ON);
    EXPECT_GT(turns, 0) << "the gunner never turned its aim";
}
