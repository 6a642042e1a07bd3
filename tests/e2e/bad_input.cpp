// What a player gets from the real program when its inputs are bad: broken pictures, a "conf" asking
// for a window that cannot open, a working folder where the options cannot be saved, a pad mapping file
// with bad lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "gl_window.h"
#include "needs.h"
#include "program_run.h"
// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include "scratch_folder.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

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
class CRun : public CProgramRun {
  public:
    explicit CRun(const std::string& name) : CProgramRun(scratch_dir("e2e_bad_" + name)) {
        link(std::string(ZELVORANT_RUN_DIR) + "/zelvorant");
        fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "sfx", fs::path(folder()) / "sfx");
    }

    // Starts the program; with read_only the folder is unwritable for it.
    void start(bool read_only = false) { CProgramRun::start("./zelvorant", read_only); }

    bool find_window(double seconds = 20) {
        return (window = x_session::wait_window("Zelvorant", seconds)) != 0;
    }
    void point(int x, int y) const { x_session::point(window, x, y); }
    // A left click at window pixels from the lower left (a 600-pixel-high window), as menus are laid out.
    void click(int x, int y) const { x_session::click(window, x, 600 - y, 0.3); }
    void key(const char* keysym, bool down) const { x_session::key(keysym, down); }
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
    void close() const { x_session::close_window(window); }
    std::pair<int, int> window_size() const {
        int width = 0, height = 0;
        x_session::size(window, &width, &height);
        return {width, height};
    }

    // How much of the window's top-right status corner is lit: the HUD of a match.
    bool match_hud_shown() const {
        const x_session::capture c = x_session::grab(window, 1024 - 180, 15, 140, 75);
        if (c.width == 0)
            return false;
        long r = 0, g = 0, b = 0;
        for (const x_session::rgb& p : c.pixels) {
            r += p.r;
            g += p.g;
            b += p.b;
        }
        return r > 2 * g && r > 2 * b && r / (140 * 75) > 25;
    }

  private:
    Window window = 0;
};

class BadInput : public ::testing::Test {
  protected:
    void SetUp() override {
        NEEDS(x_session::display() != nullptr, "an X display");
        NEEDS(x_session::has_xtest(), "XTest");
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
    const fs::path gfx = fs::path(run.folder()) / "gfx";
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
    fs::remove(gfx / "star.tga");

    std::string expected = FIRST_LINE + "error\nLoading textures...\t";
    for (int i = 0; i < 6; ++i)
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
    // Standard error names each file and what is wrong with it, one line each.
    const std::string reasons = run.errors();
    for (const char* line :
         {"\"gfx/splash.tga\" not loaded: truncated", "\"gfx/star.tga\" not loaded: missing",
          "\"gfx/particle.tga\" not loaded: truncated", "\"gfx/missile.tga\" not loaded: empty",
          "\"gfx/explode.tga\" not loaded: too large", "\"gfx/clouds.tga\" not loaded: not a TGA",
          "\"gfx/logo.tga\" not loaded: truncated"})
        EXPECT_NE(reasons.find(line), std::string::npos) << line << " not in: " << reasons;
}

// No monitor has a side beyond 8192 pixels: the game says so, opens the default 1024 x 600 and leaves
// "conf" as the player wrote it.
TEST_F(BadInput, ConfAskingForAWindowNoMonitorHasOpensTheDefaultSize) {
    CRun run("window");
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(run.folder()) / "gfx");
    const std::string conf =
        "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n"
        "306 red_cw\n309 red_ccw\n307 red_primary\n308 red_secondary\n"
        "16384 16384\n0";
    std::ofstream(run.folder() + "/conf") << conf;
    run.start();
    const std::string loaded = FIRST_LINE + "Loading textures...\tDONE\n";
    ASSERT_TRUE(run.skip_splash(loaded)) << run.output() << run.errors();
    EXPECT_EQ(run.errors(),
              "\"conf\" asks for a window of 16384 x 16384 pixels, more than any monitor has "
              "(8192 on a side): using 1024 x 600\n");
    EXPECT_EQ(run.window_size(), std::make_pair(1024, 600));
    run.close();
    EXPECT_EQ(run.wait_exit(), 0);
    EXPECT_EQ(run.output(), loaded);
    EXPECT_EQ(read_text(run.folder() + "/conf"), conf);
}

TEST_F(BadInput, NoDisplayFailsStartUpAndSaysWhy) {
    CRun run("no_display");
    run.set_environment("DISPLAY", ":7913");
    run.start();
    EXPECT_EQ(run.wait_exit(), 255);
    EXPECT_EQ(run.output(), "Setting up display...\tFAIL\n");
    EXPECT_NE(run.errors().find("Failed to open display :7913"), std::string::npos) << run.errors();
}

TEST_F(BadInput, OptionsThatCannotBeSavedSaySoAndTheGameGoesOn) {
    CRun run("read_only");
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(run.folder()) / "gfx");
    run.start(true);
    const std::string loaded = FIRST_LINE + "Loading textures...\tDONE\n";
    ASSERT_TRUE(run.skip_splash(loaded)) << run.output() << run.errors();

    run.click(150, 375);  // "Options"
    let_run(0.5);
    run.click(450, 55);  // "Save"
    ASSERT_TRUE(wait_for([&] { return run.errors().find("conf") != std::string::npos; }, 10))
        << "no message about the options not being saved; stderr: " << run.errors();
    EXPECT_FALSE(fs::exists(run.folder() + "/conf"));

    // Back on the title screen, a match still starts and runs.
    run.click(150, 450);  // "Multiplayer"
    EXPECT_TRUE(wait_for([&] { return run.match_hud_shown(); }, 10));
    let_run(1);
    EXPECT_TRUE(run.running());
    run.close();
    EXPECT_EQ(run.wait_exit(), 0);
    EXPECT_EQ(run.output(), loaded);
    // The match left by closing the window cannot be recorded either: one line says so.
    const std::string errors = run.errors();
    const std::size_t said = errors.find("matches are not recorded in replays/");
    EXPECT_NE(said, std::string::npos) << errors;
    EXPECT_EQ(errors.find("replays/", said + 40), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(run.folder() + "/replays"));
}

TEST_F(BadInput, PadMappingFileWithBadLinesSaysWhichAndTheGameGoesOn) {
    CRun run("pad_mappings");
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", fs::path(run.folder()) / "gfx");
    std::ofstream(run.folder() + "/gamecontrollerdb.txt")
        << "# mappings\n"
           "03000000aabbccddeeff001122334455,Good pad,a:b0,b:b1,leftx:a0,start:b7,platform:Linux,\n"
           "not a mapping\n"
           "03000000aabbccddeeff001122334455,Bad pad,a:b0,start:button7\n";
    run.start();
    const std::string loaded = FIRST_LINE + "Loading textures...\tDONE\n";
    ASSERT_TRUE(run.skip_splash(loaded)) << run.output() << run.errors();
    ASSERT_TRUE(wait_for([&] { return run.errors().find("line 4") != std::string::npos; }, 10))
        << run.errors();
    EXPECT_EQ(
        run.errors(),
        "Skipping line 3 of \"gamecontrollerdb.txt\": no name after the GUID\n"
        "Skipping line 4 of \"gamecontrollerdb.txt\": \"start:button7\" names no button, axis or hat\n");

    run.click(150, 450);  // "Multiplayer"
    EXPECT_TRUE(wait_for([&] { return run.match_hud_shown(); }, 10));
    run.close();
    EXPECT_EQ(run.wait_exit(), 0);
    EXPECT_EQ(run.output(), loaded);
}

}  // namespace
