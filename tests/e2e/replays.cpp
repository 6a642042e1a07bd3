// The real program records a match played with real keys; the recording verifies, plays back in the
// window, and a damaged copy is refused. The options that need no window are checked here too.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/replay/replay_file.h"
#include "gl_window.h"
#include "program_run.h"
// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "scratch_folder.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const std::string LOADED = "Setting up display...\tDONE\nLoading textures...\tDONE\n";

class CRun : public CProgramRun {
  public:
    CRun(const std::string& folder, const std::vector<std::string>& arguments) : CProgramRun(folder) {
        start(std::string(ZELVORANT_RUN_DIR) + "/zelvorant", false, arguments);
    }
    // The window up, the splash skipped by holding Escape until the pictures are loaded.
    bool skip_splash() {
        if (!(window = x_session::wait_window("Zelvorant")))
            return false;
        x_session::point(window, 500, 300);
        x_session::key("Escape", true);
        const bool loaded = wait_output(LOADED);
        x_session::key("Escape", false);
        let_run(0.3);
        return loaded;
    }
    // A click in window pixels from the lower left of the 1024 x 600 window.
    void click(int x, int y) const { x_session::click(window, x, 600 - y, 0.3); }
    void hold(const char* key, double seconds) const {
        x_session::key(key, true);
        let_run(seconds);
        x_session::key(key, false);
        let_run(0.1);
    }
    void close() const { x_session::close_window(window); }

    Window window = 0;
};

std::string make_folder(const std::string& name) {
    return game_folder("e2e_replays_" + name, ZELVORANT_RUN_DIR);
}

struct verdict {
    int status;
    std::string out;
    std::string err;
};
verdict verify(const std::string& name, const fs::path& file) {
    CRun run(scratch_dir("e2e_replays_verify_" + name), {"--verify-replay", file.string()});
    const int status = run.wait_exit(60);
    return {status, run.output(), run.errors()};
}

// True when `text` has the shape of `pattern`, where '9' stands for a decimal digit and 'f' for a
// lower-case hexadecimal one.
bool shaped(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        const bool ok = pattern[i] == '9'   ? digit
                        : pattern[i] == 'f' ? digit || (c >= 'a' && c <= 'f')
                                            : c == pattern[i];
        if (!ok)
            return false;
    }
    return true;
}

void write_bytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(Replays, AMatchPlayedWithKeysIsRecordedVerifiedWatchedAndDamageIsRefused) {
    const std::string dir = make_folder("play");
    fs::path file;
    {
        CRun run(dir, {});
        ASSERT_TRUE(run.skip_splash()) << run.output() << run.errors();
        run.click(150, 450);  // "Multiplayer"
        let_run(0.3);
        run.hold("a", 0.4);     // blue turns
        run.hold("d", 0.6);     // charges and fires a missile
        run.hold("f", 0.05);    // a flare
        run.hold("KP_5", 0.5);  // red fires too
        run.hold("Escape", 0.05);
        let_run(0.5);
        run.hold("Escape", 0.05);  // and plays on
        let_run(0.5);
        run.hold("Escape", 0.05);
        run.click(512, 187);  // "Main menu": leaving writes the match
        ASSERT_TRUE(wait_for([&] { return recordings_in(dir).size() == 1; }, 10));
        run.close();
        EXPECT_EQ(run.wait_exit(), 0);
        EXPECT_EQ(run.output(), LOADED) << "standard output as without recordings";
        EXPECT_EQ(run.errors(), "");
        file = recordings_in(dir).at(0);
    }
    EXPECT_TRUE(shaped(file.filename().string(), "match-99999999-999999-999.zvr")) << file;

    const verdict good = verify("good", file);
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_TRUE(shaped(good.out, "ffffffffffffffff\n")) << good.out;
    EXPECT_EQ(good.err, "");

    const std::string bytes = read_text(file.string());
    std::string changed = bytes;
    changed[changed.size() / 2] = static_cast<char>(changed[changed.size() / 2] ^ 1);
    write_bytes(dir + "/changed.zvr", changed);
    const verdict bad = verify("changed", dir + "/changed.zvr");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("checksum"), std::string::npos) << bad.err;

    write_bytes(dir + "/half.zvr", bytes.substr(0, bytes.size() / 2));
    const verdict half = verify("half", dir + "/half.zvr");
    EXPECT_EQ(half.status, 2);
    EXPECT_NE(half.err.find("truncated"), std::string::npos) << half.err;

    // Watching: the window, the splash, the match with its HUD; Escape ends it and nothing is recorded.
    const std::string watch_dir = make_folder("watch");
    CRun watch(watch_dir, {"--replay", file.string()});
    ASSERT_TRUE(watch.skip_splash()) << watch.output() << watch.errors();
    long red = 0, green = 0;
    // A slower build (under the sanitizers) takes a moment longer to draw the match's first frames.
    wait_for(
        [&] {
            const x_session::capture hud = x_session::grab(watch.window, 1024 - 180, 15, 140, 75);
            red = green = 0;
            for (const x_session::rgb& p : hud.pixels) {
                red += p.r;
                green += p.g;
            }
            return red > 2 * green;
        },
        5);
    EXPECT_GT(red, 2 * green) << "the red player's status panel is shown";
    watch.hold("space", 0.05);
    watch.hold("Right", 0.05);
    let_run(1.5);
    watch.hold("Escape", 0.05);
    EXPECT_EQ(watch.wait_exit(), 0);
    EXPECT_EQ(watch.errors(), "");
    EXPECT_TRUE(recordings_in(watch_dir).empty());
}

TEST(Replays, OptionsWithoutAWindow) {
    CRun help(scratch_dir("e2e_replays_help"), {"--help"});
    EXPECT_EQ(help.wait_exit(), 0);
    EXPECT_NE(help.output().find("--verify-replay FILE"), std::string::npos) << help.output();
    CRun version(scratch_dir("e2e_replays_version"), {"--version"});
    EXPECT_EQ(version.wait_exit(), 0);
    EXPECT_EQ(version.output(), "zelvorant 1.1\n");
    CRun unknown(scratch_dir("e2e_replays_unknown"), {"--bogus"});
    EXPECT_EQ(unknown.wait_exit(), 2);
    EXPECT_EQ(unknown.output(), "");
    EXPECT_EQ(unknown.errors().rfind("zelvorant: unknown option: \"--bogus\"\nUsage:", 0), 0u)
        << unknown.errors();
    CRun missing(scratch_dir("e2e_replays_missing"), {"--replay", "nowhere.zvr"});
    EXPECT_EQ(missing.wait_exit(), 2);
    EXPECT_EQ(missing.errors(), "zelvorant: \"nowhere.zvr\": cannot be read\n");
}

// The largest recording the reader takes, as busy as the recorder lets a match be at every step (64 MiB,
// 33.5 million commands), is checked without its commands spread out in memory. The sanitizers keep
// memory of their own, so their builds leave the figure out.
TEST(Replays, TheLargestRecordingIsVerifiedInLittleMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's own memory hides the program's";
#endif
    match_recording r;
    r.program_version = "1.1";
    const std::uint64_t commands = 33500000;
    r.steps = commands / MAX_COMMANDS_AT_A_STEP + 1;
    for (std::uint64_t i = 0; i < commands; ++i)
        r.commands.add(i / MAX_COMMANDS_AT_A_STEP,
                       {TARGET_BLUE, i % 2 ? std::uint8_t{CMD_TURN_CW_OFF} : std::uint8_t{CMD_TURN_CW_ON}});
    r.checkpoints.assign(checkpoint_count(r.steps), 0);
    const fs::path file = fs::path(scratch_dir("e2e_replays_large")) / "busy.zvr";
    write_bytes(file, encode_recording(r));
    ASSERT_GT(fs::file_size(file), 60u << 20);
    r = match_recording();

    const verdict v = verify("large", file);
    // The made-up checkpoints differ from the board's; the whole match is run all the same.
    EXPECT_EQ(v.status, 1) << v.err;
    EXPECT_TRUE(shaped(v.out, "ffffffffffffffff\n")) << v.out;
    rusage children{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
    // In kilobytes: the file and the board, not 16 bytes for each command.
    EXPECT_LT(children.ru_maxrss, 200 * 1024);
}

}  // namespace

TEST(Replays, EndAndHomeJumpThroughAWatchedRecording) {
    // A 50-second single-player match that ends with a result, which shades the board.
    const std::string file = ZELVORANT_SOURCE_DIR "/tests/replays/single_easy.zvr";
    CRun watch(make_folder("jumps"), {"--replay", file});
    ASSERT_TRUE(watch.skip_splash()) << watch.output() << watch.errors();
    // A patch of the blue planet, clear of the result's text, that nothing but the shade darkens for long.
    auto brightness = [&] {
        const x_session::rgb m = x_session::grab(watch.window, 275, 255, 50, 40).mean();
        return m.r + m.g + m.b;
    };
    let_run(0.5);
    const int playing = brightness();
    ASSERT_GT(playing, 100);
    watch.hold("End", 0.05);
    let_run(1.5);
    EXPECT_LT(brightness(), playing * 3 / 4) << "End shows the result at once";
    watch.hold("Home", 0.05);
    let_run(1.0);
    EXPECT_GT(brightness(), playing * 9 / 10) << "Home plays the match again from its start";
    watch.hold("Escape", 0.05);
    EXPECT_EQ(watch.wait_exit(), 0);
    EXPECT_EQ(watch.errors(), "");
}
