// The installed game started as a player starts it: through the launcher, as an unprivileged user (root
// runs it as nobody) with a home of its own and a working folder it cannot write to, driven by real X
// clicks. The settings must land in the XDG settings folder, and nothing else may change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "program_run.h"
// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "needs.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

const std::string FIRST_LINE = "Setting up display...\tDONE\n";
// No "error" line: every picture was found in the data folder.
const std::string LOADED = FIRST_LINE + "Loading textures...\tDONE\n";
const std::string DEFAULT_CONF =
    "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
    "307 red_primary\n308 red_secondary\n1024 600\n0";

std::string installed_prefix() {
    std::string prefix = read_text(ZELVORANT_INSTALL_RECORD);
    while (!prefix.empty() && prefix.back() == '\n')
        prefix.pop_back();
    return prefix;
}

// Every file and folder under a folder with its size and modification time, to tell whether anything changed.
using file_states = std::map<std::string, std::pair<uintmax_t, long>>;

file_states snapshot(const fs::path& dir) {
    file_states files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        struct stat st {};
        lstat(entry.path().c_str(), &st);
        files[fs::relative(entry.path(), dir).string()] = {entry.is_regular_file() ? st.st_size : 0,
                                                           static_cast<long>(st.st_mtime)};
    }
    return files;
}

std::string listing(const fs::path& dir) {
    std::string out;
    for (const auto& entry : snapshot(dir))
        out += entry.first + "\n";
    return out;
}

int mode(const fs::path& path) {
    return static_cast<int>(fs::status(path).permissions() & fs::perms::all);
}

// A folder for the player: owned by the user the game runs as, private as a home is.
fs::path player_folder(const fs::path& path) {
    fs::remove_all(path);
    fs::create_directories(path);
    chmod(path.c_str(), 0700);
    if (geteuid() == 0 && chown(path.c_str(), 65534, 65534) != 0)
        ADD_FAILURE() << "cannot hand " << path << " to nobody";
    return path;
}

class InstalledGame : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* reason = x_session::unavailable();
        NEEDS(reason == nullptr, reason);
        prefix = installed_prefix();
        ASSERT_TRUE(fs::exists(prefix + "/games/zelvorant")) << "not installed: " << prefix;
        // Beside the prefix, in the temporary folder every user can read.
        const fs::path root = fs::path(prefix).parent_path();
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        home = player_folder(root / ("home-" + name));
        start_dir = root / ("start-" + name);
        fs::remove_all(start_dir);
        fs::create_directories(start_dir);
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        data_before = snapshot(prefix);
    }

    // The game through the launcher, past the splash, with the pictures loaded.
    void start_past_splash(CProgramRun& run, const std::vector<std::string>& args) {
        start_before = start_folder();
        ASSERT_TRUE(run.start(prefix + "/games/zelvorant", true, args));
        ASSERT_TRUE(wait_for([&] { return run.output() == FIRST_LINE; }, 20)) << run.output() << run.errors();
        window = x_session::wait_window("Zelvorant");
        ASSERT_NE(window, 0u);
        x_session::point(window, 500, 300);
        x_session::key("Escape", true);
        const bool loaded = run.wait_output(LOADED);
        x_session::key("Escape", false);
        ASSERT_TRUE(loaded) << run.output() << run.errors();
    }

    // The title screen after the splash.
    void start_to_title(CProgramRun& run) {
        start_past_splash(run, {});
        ASSERT_TRUE(wait_for([&] { return red_planet_shown(); }, 10))
            << "the title screen's planet is missing";
    }

    // The title screen's planet, painted orange-red at the lower right; without its picture it would be a
    // plain white square.
    bool red_planet_shown() const {
        const x_session::rgb m = x_session::grab(window, 800, 350, 200, 200).mean();
        return m.r > 60 && m.r > m.g * 3 / 2 && m.r > m.b * 2;
    }

    // The starting folder but the test's own captures of the program's output.
    file_states start_folder() const {
        file_states files = snapshot(start_dir);
        files.erase("stdout.txt");
        files.erase("stderr.txt");
        return files;
    }

    void close_and_check(CProgramRun& run) {
        x_session::close_window(window);
        EXPECT_EQ(run.wait_exit(), 0);
        EXPECT_EQ(run.output(), LOADED);
        EXPECT_EQ(run.errors(), "");
        EXPECT_TRUE(snapshot(prefix) == data_before) << "the installed files changed";
        EXPECT_TRUE(start_folder() == start_before) << "the starting folder changed:\n" << listing(start_dir);
    }

    // Options, then Save (the menus' origin is the lower left of a 600-pixel-high window), then closing: the
    // default ten lines in <settings>/zelvorant/conf, a folder private to the player, nothing else changed.
    void save_options_and_close(CProgramRun& run, const fs::path& settings) {
        x_session::click(window, 150, 600 - 375, 0.5);
        x_session::click(window, 450, 600 - 55, 0.5);
        const fs::path conf = settings / "zelvorant/conf";
        ASSERT_TRUE(wait_for([&] { return read_text(conf) == DEFAULT_CONF; }, 10))
            << read_text(conf) << run.errors();
        close_and_check(run);
        EXPECT_EQ(mode(settings / "zelvorant"), 0700);
    }

    std::string prefix;
    fs::path home, start_dir;
    file_states data_before, start_before;
    Window window = 0;
};

TEST_F(InstalledGame, SavesItsOptionsInTheDefaultSettingsFolder) {
    CProgramRun run(start_dir.string());
    start_to_title(run);
    save_options_and_close(run, home / ".config");
    EXPECT_EQ(listing(home), ".config\n.config/zelvorant\n.config/zelvorant/conf\n");
}

TEST_F(InstalledGame, SavesItsOptionsUnderXdgConfigHome) {
    const fs::path config = player_folder(home.parent_path() / "config-elsewhere");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    CProgramRun run(start_dir.string());
    start_to_title(run);
    save_options_and_close(run, config);
    EXPECT_EQ(listing(config), "zelvorant\nzelvorant/conf\n");
    EXPECT_EQ(listing(home), "") << "the home folder changed";
}

TEST_F(InstalledGame, HandsItsArgumentsToTheProgramInTheSettingsFolder) {
    // A recording named relative to the folder the player started in, which the program does not run in.
    const fs::path recording = start_dir / "my match.zvr";
    fs::copy_file(fs::path(ZELVORANT_SOURCE_DIR) / "tests/replays/single_hard.zvr", recording);
    chmod(recording.c_str(), 0644);
    {
        CProgramRun run(start_dir.string());
        start_past_splash(run, {"--replay", "my match.zvr"});
        // The launcher replaced itself by the program: same process, the program's path, every argument,
        // the recording's path made whole (the run's folder is where the player started).
        const std::string proc = "/proc/" + std::to_string(run.pid());
        const std::string whole = (fs::path(run.folder()) / recording.filename()).string();
        std::string command_line;
        for (const std::string& word :
             {prefix + "/lib/games/zelvorant/zelvorant", std::string("--replay"), whole})
            command_line += word + '\0';
        EXPECT_EQ(read_text(proc + "/cmdline"), command_line);
        EXPECT_EQ(fs::read_symlink(proc + "/cwd"), home / ".config/zelvorant");
        close_and_check(run);
    }
    CProgramRun check(start_dir.string());
    ASSERT_TRUE(check.start(prefix + "/games/zelvorant", true, {"--verify-replay=my match.zvr"}));
    EXPECT_EQ(check.wait_exit(), 0) << check.errors();
    EXPECT_EQ(check.output().size(), 17u) << check.output();
}

TEST_F(InstalledGame, SaysWhyWhenThereIsNoSettingsFolder) {
    // No home, and a relative XDG_CONFIG_HOME, which the base directory rules say to ignore.
    unsetenv("HOME");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    {
        CProgramRun run(start_dir.string());
        ASSERT_TRUE(run.start(prefix + "/games/zelvorant", true));
        EXPECT_EQ(run.wait_exit(), 1);
        EXPECT_EQ(run.errors(),
                  "zelvorant: HOME is not set, so there is no folder for the game's settings\n");
        EXPECT_EQ(run.output(), "");
    }
    // A settings folder that cannot be made: a file stands in its parent's place.
    const fs::path file = player_folder(home.parent_path() / "config-file") / "config";
    std::ofstream(file.string()) << "not a folder";
    chmod(file.c_str(), 0644);
    setenv("XDG_CONFIG_HOME", file.c_str(), 1);
    CProgramRun run(start_dir.string());
    ASSERT_TRUE(run.start(prefix + "/games/zelvorant", true));
    EXPECT_EQ(run.wait_exit(), 1);
    EXPECT_NE(run.errors().find("zelvorant: cannot use " + file.string() +
                                "/zelvorant as the game's settings folder"),
              std::string::npos)
        << run.errors();
    EXPECT_EQ(read_text(file), "not a folder");
    EXPECT_EQ(listing(home), "");
}

}  // namespace
