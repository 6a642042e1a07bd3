// Two real programs play a network match on 127.0.0.1: one with --host, one with --join, each in a
// 640 x 480 window of its own (the interface's frame drawn small in it), the joining one moved below the
// other so that both can be seen. Real keys go to the host's window; both windows must show what they
// did; both recordings must verify to the same final state.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "game/replay/replay_file.h"
#include "gl_window.h"
#include "graphics/interface_frame.h"
#include "loopback_socket.h"
#include "needs.h"
#include "program_run.h"
// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "scratch_folder.h"
#include "unclaimed_port.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const std::string LOADED = "Setting up display...\tDONE\nLoading textures...\tDONE\n";
// The default keys, and a small window so that two fit on the test screen.
const char* const SMALL_CONF =
    "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n307 red_primary\n"
    "308 red_secondary\n640 480\n0";
constexpr int W = 640;
constexpr int H = 480;
// The interface's 1024 x 600 frame, drawn 0.625 times as large in such a window.
const frame_mapping FRAME = map_frame(1024, 600, W, H);

// A click at point (x, y) of the interface's frame, from its lower left, as the menus are laid out.
void click_frame(Window w, float x, float y, double settle) {
    float window_x = 0, window_y = 0;
    FRAME.to_window(x, y, window_x, window_y);
    x_session::click(w, static_cast<int>(std::lround(window_x)), static_cast<int>(std::lround(window_y)),
                     settle);
}

// A top-level window titled `title` that is none of `except`.
Window other_window(const char* title, const std::vector<Window>& except) {
    Display* d = x_session::display();
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count) == 0)
        return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        const bool known = std::find(except.begin(), except.end(), children[i]) != except.end();
        if (!known && XFetchName(d, children[i], &name) != 0 && name != nullptr && std::string(name) == title)
            found = children[i];
        if (name != nullptr)
            XFree(name);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

void focus(Window w) {
    Display* d = x_session::display();
    XRaiseWindow(d, w);
    XSetInputFocus(d, w, RevertToParent, CurrentTime);
    XSync(d, False);
    let_run(0.2);
}

class CPlayer : public CProgramRun {
  public:
    CPlayer(const std::string& name, std::vector<std::string> arguments)
        : CProgramRun(game_folder("e2e_network_" + name, ZELVORANT_RUN_DIR)) {
        std::ofstream(folder() + "/conf", std::ios::binary) << SMALL_CONF;
        arguments_ = std::move(arguments);
    }
    // Starts, waits for its window (the first one none of `others`) and skips the splash with Escape.
    bool begin(const std::vector<Window>& others) {
        start(std::string(ZELVORANT_RUN_DIR) + "/zelvorant", false, arguments_);
        if (!wait_for([&] { return (window = other_window("Zelvorant", others)) != 0; }, 20))
            return false;
        focus(window);
        x_session::key("Escape", true);
        const bool loaded = wait_output(LOADED);
        x_session::key("Escape", false);
        let_run(0.3);
        return loaded;
    }
    void hold(const char* key, double seconds) const {
        focus(window);
        x_session::key(key, true);
        let_run(seconds);
        x_session::key(key, false);
        let_run(0.1);
    }
    void press(const char* key) const {
        x_session::key(key, true);
        x_session::key(key, false);
        let_run(0.15);
    }
    std::vector<fs::path> recordings() const { return recordings_in(folder()); }
    Window window = 0;

  private:
    std::vector<std::string> arguments_;
};

// A capture of a rectangle of the interface's frame.
x_session::capture grab_frame(Window w, const pixel_rect& r) {
    const pixel_rect p = FRAME.to_window(r);
    return x_session::grab(w, p.x, H - p.y - p.height, p.width, p.height);
}

// The board between the HUD panels and the frame counter.
x_session::capture board(Window w) {
    return grab_frame(w, {0, 30, 1024, 330});
}

// Pixels that turned bright and bluish, as a missile's trail does, from one capture to the next.
int new_trail_pixels(const x_session::capture& before, const x_session::capture& after) {
    if (before.pixels.size() != after.pixels.size() || before.pixels.empty())
        return -1;
    int n = 0;
    for (std::size_t i = 0; i < after.pixels.size(); ++i) {
        const x_session::rgb& a = after.pixels[i];
        const x_session::rgb& b = before.pixels[i];
        n += a.r + a.g + a.b - (b.r + b.g + b.b) > 90 && a.b > a.r + 25;
    }
    return n;
}

struct verdict {
    int status;
    std::string out;
};
verdict verify(const std::string& name, const fs::path& file) {
    CProgramRun run(scratch_dir("e2e_network_verify_" + name));
    run.start(std::string(ZELVORANT_RUN_DIR) + "/zelvorant", false, {"--verify-replay", file.string()});
    const int status = run.wait_exit(60);
    return {status, run.output()};
}

// Both programs started, the joining side's window below the host's; `settle` seconds later the
// match is under way when both were started for one.
bool start_pair(CPlayer& host, CPlayer& joiner, double settle = 1.5) {
    if (!host.begin({}) || !joiner.begin({host.window}))
        return false;
    XMoveWindow(x_session::display(), joiner.window, 0, H + 20);
    XSync(x_session::display(), False);
    let_run(settle);
    return true;
}

// The joining side's window closed first, then the host's: both programs end well.
void close_both(CPlayer& host, CPlayer& joiner) {
    x_session::close_window(joiner.window);
    EXPECT_EQ(joiner.wait_exit(), 0);
    x_session::close_window(host.window);
    EXPECT_EQ(host.wait_exit(), 0);
}

// Two programs on this display, talking over a free local port.
class NetworkMatch : public ::testing::Test {
  protected:
    void SetUp() override {
        NEEDS(x_session::display() != nullptr, "an X display");
        NEEDS(x_session::has_xtest(), "XTest");
        port = std::to_string(unclaimed_port());
    }
    std::string port;
};

}  // namespace

TEST_F(NetworkMatch, KeysAtTheHostFireAMissileSeenInBothWindowsAndBothRecordingsAgree) {
    CPlayer host("host", {"--host", port});
    CPlayer joiner("join", {"--join", "127.0.0.1:" + port});
    ASSERT_TRUE(start_pair(host, joiner)) << host.errors() << joiner.errors();

    // What changes on the board while nobody fires (the stations turn), then when blue fires.
    const x_session::capture start_host = board(host.window), start_joiner = board(joiner.window);
    let_run(2.1);  // as long as the shot below takes
    const x_session::capture quiet_host = board(host.window), quiet_joiner = board(joiner.window);
    host.hold("d", 0.8);  // charge, release: blue fires
    let_run(1.0);
    const x_session::capture shot_host = board(host.window), shot_joiner = board(joiner.window);
    const int calm_host = new_trail_pixels(start_host, quiet_host);
    const int calm_joiner = new_trail_pixels(start_joiner, quiet_joiner);
    const int fired_host = new_trail_pixels(quiet_host, shot_host);
    const int fired_joiner = new_trail_pixels(quiet_joiner, shot_joiner);
    std::printf("new trail pixels: host %d without a shot, %d with; joining side %d, %d\n", calm_host,
                fired_host, calm_joiner, fired_joiner);
    // Measured: about 80 without a shot and 200 with one, in both windows.
    EXPECT_GT(fired_host, calm_host + 60);
    EXPECT_GT(fired_joiner, calm_joiner + 60);

    // Closing the host's window ends its program; the other side is told and goes to the title screen.
    x_session::close_window(host.window);
    EXPECT_EQ(host.wait_exit(), 0);
    ASSERT_TRUE(wait_for([&] { return joiner.errors().find("Opponent left") != std::string::npos; }, 10));
    x_session::close_window(joiner.window);
    EXPECT_EQ(joiner.wait_exit(), 0);
    EXPECT_EQ(host.output(), LOADED);
    EXPECT_EQ(joiner.output(), LOADED);
    EXPECT_EQ(host.errors(), "");
    EXPECT_EQ(joiner.errors(), "Network game: Opponent left\n");

    ASSERT_EQ(host.recordings().size(), 1u);
    ASSERT_EQ(joiner.recordings().size(), 1u);
    const verdict a = verify("host", host.recordings()[0]);
    const verdict b = verify("join", joiner.recordings()[0]);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(b.status, 0);
    // The final hash: sixteen lower-case hexadecimal digits on a line.
    EXPECT_TRUE(a.out.size() == 17 && a.out.find_first_not_of("0123456789abcdef") == 16 && a.out[16] == '\n')
        << a.out;
    EXPECT_EQ(a.out, b.out);
}

TEST_F(NetworkMatch, ASideThatDiesIsNoticedWithinFiveSecondsAndTheMatchIsStillRecorded) {
    CPlayer host("host_alone", {"--host", port});
    CPlayer joiner("join_killed", {"--join", "127.0.0.1:" + port});
    ASSERT_TRUE(start_pair(host, joiner)) << host.errors() << joiner.errors();

    kill(joiner.pid(), SIGKILL);  // as a crash or a pulled plug would
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(wait_for([&] { return host.errors().find("Connection lost") != std::string::npos; }, 10));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(seconds, 5.5);
    EXPECT_TRUE(host.running());
    EXPECT_EQ(host.recordings().size(), 1u);
    x_session::close_window(host.window);
    EXPECT_EQ(host.wait_exit(), 0);
}

TEST_F(NetworkMatch, AHostThatDoesNotAnswerIsNamedOnTheTitleScreen) {
    CLoopbackSocket nobody;
    const std::string where = "127.0.0.1:" + std::to_string(nobody.port());
    CPlayer joiner("join_nobody", {"--join", where});
    ASSERT_TRUE(joiner.begin({})) << joiner.errors();
    const std::string said = "Network game: No answer from " + where + "\n";
    ASSERT_TRUE(wait_for([&] { return joiner.errors() == said; }, 10)) << joiner.errors();
    let_run(1);  // the title screen shows why, from the words kept after the session went
    x_session::close_window(joiner.window);
    EXPECT_EQ(joiner.wait_exit(), 0);
    EXPECT_EQ(joiner.errors(), said);
}

TEST_F(NetworkMatch, JoiningFromTheTitleScreenWithATypedAddress) {
    CPlayer host("host_for_title", {"--host", port});
    CPlayer joiner("join_from_title", {});
    // The address last joined is offered again; its last digit is typed anew below.
    std::ofstream(joiner.folder() + "/settings") << "last_join = 127.0.0.1:" << port << "\n";
    ASSERT_TRUE(start_pair(host, joiner, 0.5)) << host.errors() << joiner.errors();

    focus(joiner.window);
    click_frame(joiner.window, 150, 150, 0.5);  // "Network game", below Quit
    joiner.press("BackSpace");
    const std::string last_digit(1, port.back());
    joiner.press(last_digit.c_str());
    joiner.press("Return");
    let_run(1.5);

    x_session::close_window(joiner.window);
    EXPECT_EQ(joiner.wait_exit(), 0);
    ASSERT_TRUE(wait_for([&] { return host.errors().find("Opponent left") != std::string::npos; }, 10))
        << host.errors() << joiner.errors();
    x_session::close_window(host.window);
    EXPECT_EQ(host.wait_exit(), 0);
    EXPECT_EQ(joiner.errors(), "");
    ASSERT_EQ(host.recordings().size(), 1u);
    ASSERT_EQ(joiner.recordings().size(), 1u);
    EXPECT_EQ(verify("title_host", host.recordings()[0]).out,
              verify("title_join", joiner.recordings()[0]).out);
}

namespace {

// Whether the board moves: two captures a moment apart differ (the stations turn on their orbits).
bool board_moves(Window w) {
    const x_session::capture a = board(w);
    let_run(0.4);
    const x_session::capture b = board(w);
    int changed = 0;
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        changed += a.pixels[i].r != b.pixels[i].r || a.pixels[i].g != b.pixels[i].g ||
                   a.pixels[i].b != b.pixels[i].b;
    return changed > 20;
}

}  // namespace

TEST_F(NetworkMatch, EscapeOnOneSidePausesBothAndResumeOnTheOtherGoesOn) {
    CPlayer host("host_pausing", {"--host", port});
    CPlayer joiner("join_resuming", {"--join", "127.0.0.1:" + port});
    ASSERT_TRUE(start_pair(host, joiner)) << host.errors() << joiner.errors();
    EXPECT_TRUE(board_moves(joiner.window));

    host.hold("Escape", 0.05);
    let_run(0.3);
    EXPECT_FALSE(board_moves(joiner.window)) << "paused by the other side";
    EXPECT_FALSE(board_moves(host.window));

    focus(joiner.window);
    joiner.press("Escape");                       // the pause menu on this side too
    click_frame(joiner.window, 512, 412.5, 0.5);  // its Resume
    EXPECT_TRUE(board_moves(host.window));
    EXPECT_TRUE(board_moves(joiner.window));

    close_both(host, joiner);
}

TEST_F(NetworkMatch, NewGameInThePauseMenuAsksTheOtherSideWhichDeclinesWithEscapeOrAcceptsWithEnter) {
    CPlayer host("host_asking", {"--host", port});
    CPlayer joiner("join_asked", {"--join", "127.0.0.1:" + port});
    ASSERT_TRUE(start_pair(host, joiner)) << host.errors() << joiner.errors();

    host.hold("Escape", 0.05);
    click_frame(host.window, 512, 337.5, 0.5);  // "New game" in the pause menu
    focus(joiner.window);
    joiner.press("Escape");  // declined: the match stays as it was, paused
    let_run(0.3);
    EXPECT_FALSE(board_moves(joiner.window));
    EXPECT_FALSE(board_moves(host.window));

    host.hold("Escape", 0.05);  // the pause menu again
    click_frame(host.window, 512, 337.5, 0.5);
    focus(joiner.window);
    joiner.press("Return");  // accepted: both boards run on to the step the host names, then a new match
    EXPECT_TRUE(wait_for([&] { return board_moves(host.window); }, 5));
    // The joiner begins the new match on hearing the host's step, a loaded machine's moment later.
    EXPECT_TRUE(wait_for([&] { return board_moves(joiner.window); }, 5));

    close_both(host, joiner);
    // The match given up was written when the new one began, the new one when the program ended: each
    // alike on both sides.
    ASSERT_EQ(host.recordings().size(), 2u);
    ASSERT_EQ(joiner.recordings().size(), 2u);
    EXPECT_EQ(joiner.errors(), "");
    std::vector<fs::path> hosted = host.recordings(), joined = joiner.recordings();
    std::sort(hosted.begin(), hosted.end());
    std::sort(joined.begin(), joined.end());
    for (std::size_t i = 0; i < 2; ++i) {
        match_recording a, b;
        ASSERT_EQ(read_recording(hosted[i].string(), a), RECORDING_OK);
        ASSERT_EQ(read_recording(joined[i].string(), b), RECORDING_OK);
        EXPECT_EQ(a.steps, b.steps) << "match " << i;
        EXPECT_EQ(a.final_hash, b.final_hash) << "match " << i;
    }
}

namespace {

// Whether a UDP socket of this machine is bound to `port`, from the kernel's socket tables.
bool udp_port_bound(const std::string& port) {
    char hex[8];
    std::snprintf(hex, sizeof hex, ":%04X ", static_cast<unsigned>(std::stoi(port)));
    for (const char* table : {"/proc/net/udp", "/proc/net/udp6"}) {
        std::ifstream in(table);
        std::string line;
        while (std::getline(in, line)) {
            // "  sl  local_address rem_address ...": the local address is the second field.
            std::istringstream fields(line);
            std::string slot, local;
            fields >> slot >> local;
            if ((local + " ").find(hex) != std::string::npos)
                return true;
        }
    }
    return false;
}

}  // namespace

TEST_F(NetworkMatch, EscapeWhileHostingGoesBackToTheNetworkScreen) {
    CPlayer host("host_backing_out", {});
    std::ofstream(host.folder() + "/settings") << "network_port = " << port << "\n";
    ASSERT_TRUE(host.begin({})) << host.errors();

    click_frame(host.window, 150, 150, 0.5);    // "Network game", below Quit
    click_frame(host.window, 512, 287.5, 0.5);  // its "Host"
    ASSERT_TRUE(wait_for([&] { return udp_port_bound(port); }, 5));
    host.press("Escape");
    ASSERT_TRUE(wait_for([&] { return !udp_port_bound(port); }, 5));
    // Still on the network screen: its Host waits again (on the title screen nothing is there).
    click_frame(host.window, 512, 287.5, 0.5);
    EXPECT_TRUE(wait_for([&] { return udp_port_bound(port); }, 5));

    x_session::close_window(host.window);
    EXPECT_EQ(host.wait_exit(), 0);
    EXPECT_EQ(host.errors(), "");
}

namespace {

// The rendezvous server on 127.0.0.1, as an operator would run it.
class CServer : public CProgramRun {
  public:
    CServer() : CProgramRun(scratch_dir("e2e_network_server")) {
        port = std::to_string(unclaimed_port());
        start(ZELVORANT_SERVER_PROGRAM, false, {"--address", "127.0.0.1", "--port", port});
    }
    bool listening() {
        return wait_for([&] { return errors().find("listening on") != std::string::npos; }, 10);
    }
    std::string port;
};

// The six symbols after "Invite code for the other player: " in a program's output, or "".
std::string invite_code(const std::string& out) {
    const std::string said = "Invite code for the other player: ";
    const std::size_t at = out.find(said);
    return at == std::string::npos || out.size() < at + said.size() + 6 ? ""
                                                                        : out.substr(at + said.size(), 6);
}

}  // namespace

TEST_F(NetworkMatch, AWatcherJoiningMidMatchSeesTheSameBoardAndIsToldWhenAPlayerLeaves) {
    CPlayer host("host_watched", {"--host", port});
    CPlayer joiner("join_watched", {"--join", "127.0.0.1:" + port});
    ASSERT_TRUE(start_pair(host, joiner)) << host.errors() << joiner.errors();
    host.hold("d", 0.8);  // blue fires before the watcher comes
    let_run(1.0);

    CPlayer watcher("watcher", {"--watch", "127.0.0.1:" + port});
    ASSERT_TRUE(watcher.begin({host.window, joiner.window})) << watcher.errors();
    XMoveWindow(x_session::display(), watcher.window, W, H + 20);  // beside the joining one
    XSync(x_session::display(), False);
    let_run(1.5);
    EXPECT_TRUE(board_moves(watcher.window));
    joiner.hold("d", 0.8);  // red fires while it watches
    let_run(2.0);

    x_session::close_window(host.window);
    EXPECT_EQ(host.wait_exit(), 0);
    // A second behind, the watcher shows the last steps, then the end.
    ASSERT_TRUE(wait_for([&] { return watcher.errors().find("final state") != std::string::npos; }, 10))
        << watcher.errors();
    x_session::close_window(watcher.window);
    EXPECT_EQ(watcher.wait_exit(), 0);
    x_session::close_window(joiner.window);
    EXPECT_EQ(joiner.wait_exit(), 0);
    EXPECT_EQ(watcher.output(), LOADED);
    EXPECT_TRUE(watcher.recordings().empty());

    // Its board was the host's at every hundredth step it showed, and at the last one.
    std::smatch said;
    const std::string errors = watcher.errors();
    ASSERT_TRUE(std::regex_search(
        errors, said,
        std::regex("Watching: A player left the match\n"
                   "Watching: match 1 shown to its end, ([0-9]+) steps, final state ([0-9a-f]{16})\n"
                   "Watching: ([0-9]+) boards compared with the players', all the same\n")))
        << errors;
    EXPECT_GT(std::stoi(said[1].str()), 500);
    EXPECT_GT(std::stoi(said[3].str()), 4);
    ASSERT_EQ(host.recordings().size(), 1u);
    const verdict played = verify("watched_host", host.recordings()[0]);
    EXPECT_EQ(played.status, 0);
    EXPECT_EQ(played.out, said[2].str() + "\n");
}

namespace {

// Both players' boards still run: no watcher held them up.
bool both_playing_on(CPlayer& host, CPlayer& joiner) {
    return host.running() && joiner.running() && board_moves(host.window) && board_moves(joiner.window);
}

}  // namespace

TEST_F(NetworkMatch, AnInviteCodeTypedOnTheNetworkScreenJoinsTheHostThroughTheServer) {
    CServer server;
    ASSERT_TRUE(server.listening()) << server.errors();
    CPlayer host("host_online", {"--host-online", port});
    CPlayer joiner("join_by_code", {});
    for (const CPlayer* p : {&host, &joiner})
        std::ofstream(p->folder() + "/settings") << "rendezvous_server = 127.0.0.1:" << server.port << "\n";
    ASSERT_TRUE(start_pair(host, joiner, 0.5)) << host.errors() << joiner.errors();
    std::string code;
    ASSERT_TRUE(wait_for([&] { return !(code = invite_code(host.output())).empty(); }, 10))
        << host.output() << host.errors() << server.errors();

    focus(joiner.window);
    click_frame(joiner.window, 150, 150, 0.5);    // "Network game", below Quit
    click_frame(joiner.window, 752, 382.5, 0.3);  // the code field, beside the address field
    // Typed in lower case, with a dash in the middle, as a player reads it out.
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (i == 3)
            joiner.press("minus");
        const std::string key(1, static_cast<char>(std::tolower(static_cast<unsigned char>(code[i]))));
        joiner.press(key.c_str());
    }
    joiner.press("Return");
    ASSERT_TRUE(wait_for([&] { return board_moves(joiner.window) && board_moves(host.window); }, 10))
        << joiner.errors() << host.errors() << server.errors();
    // The HUD's corner names the path in small grey letters.
    const x_session::capture corner = grab_frame(joiner.window, {804, 5, 210, 22});
    int lit = 0;
    for (const x_session::rgb& p : corner.pixels)
        lit += p.r > 120 && p.g > 120 && p.b > 120;
    EXPECT_GT(lit, 20);
    host.hold("d", 0.8);  // blue fires: both boards go on alike

    close_both(host, joiner);
    EXPECT_EQ(joiner.errors(), "");
    EXPECT_NE(server.errors().find("introduced"), std::string::npos) << server.errors();
    ASSERT_EQ(host.recordings().size(), 1u);
    ASSERT_EQ(joiner.recordings().size(), 1u);
    const verdict a = verify("online_host", host.recordings()[0]);
    const verdict b = verify("online_join", joiner.recordings()[0]);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(a.out, b.out);
}

TEST_F(NetworkMatch, ACodeOnTheCommandLineThatNoHostHasIsToldAndTheProgramGoesOn) {
    CServer server;
    ASSERT_TRUE(server.listening()) << server.errors();
    CPlayer joiner("join_unknown_code", {"--join-code", "acd-efg"});
    std::ofstream(joiner.folder() + "/settings") << "rendezvous_server = 127.0.0.1:" << server.port << "\n";
    ASSERT_TRUE(joiner.begin({})) << joiner.errors();
    const std::string said = "Network game: No such code: ask the host for it again\n";
    ASSERT_TRUE(wait_for([&] { return joiner.errors() == said; }, 10)) << joiner.errors();
    x_session::close_window(joiner.window);
    EXPECT_EQ(joiner.wait_exit(), 0);
}

TEST_F(NetworkMatch, WatchFromTheNetworkScreenAndEscapeBackToIt) {
    CPlayer host("host_watched_from_menu", {"--host", port});
    CPlayer joiner("join_watched_from_menu", {"--join", "127.0.0.1:" + port});
    CPlayer watcher("watcher_from_menu", {});
    std::ofstream(watcher.folder() + "/settings") << "last_join = 127.0.0.1:" << port << "\n";
    ASSERT_TRUE(start_pair(host, joiner)) << host.errors() << joiner.errors();
    ASSERT_TRUE(watcher.begin({host.window, joiner.window})) << watcher.errors();
    XMoveWindow(x_session::display(), watcher.window, W, H + 20);
    XSync(x_session::display(), False);
    let_run(0.3);

    click_frame(watcher.window, 150, 150, 0.5);    // "Network game", below Quit
    click_frame(watcher.window, 512, 338.5, 0.5);  // its "Watch", under the address
    // The match so far is played through first: longer on a sanitizer build.
    EXPECT_TRUE(wait_for([&] { return board_moves(watcher.window); }, 15)) << watcher.errors();
    let_run(3.0);  // boards compared with the host's on the way, also on a slow build
    watcher.press("Escape");
    ASSERT_TRUE(wait_for([&] { return watcher.errors().find("all the same") != std::string::npos; }, 5))
        << watcher.errors();
    // Back on the network screen, whose Watch works again with the mouse given back to the menus.
    EXPECT_TRUE(watcher.running());
    click_frame(watcher.window, 512, 338.5, 0.5);
    EXPECT_TRUE(wait_for([&] { return board_moves(watcher.window); }, 15)) << watcher.errors();
    let_run(1.5);
    watcher.press("Escape");
    const auto watched = [&] {
        const std::string e = watcher.errors();
        const std::size_t first = e.find("all the same");
        return first != std::string::npos && e.find("all the same", first + 1) != std::string::npos;
    };
    EXPECT_TRUE(wait_for(watched, 5)) << watcher.errors();
    EXPECT_TRUE(both_playing_on(host, joiner));
    EXPECT_EQ(watcher.output(), LOADED);
    EXPECT_TRUE(watcher.recordings().empty());

    x_session::close_window(watcher.window);
    EXPECT_EQ(watcher.wait_exit(), 0);
    close_both(host, joiner);
}
