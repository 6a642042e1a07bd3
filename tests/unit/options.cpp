#include "game/config/options.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "bounded_call.h"
#include "gl_window.h"
#include "interface/window.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const char* const DEFAULT_FILE =
    "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
    "307 red_primary\n308 red_secondary\n1024 600\n0";

COptions defaults() {
    COptions o;
    o.restore();
    return o;
}

// Something different from the defaults in every field.
COptions custom() {
    COptions o;
    o.blue_cw = 32;
    o.blue_ccw = 96;
    o.blue_primary = -1;
    o.blue_secondary = 283;
    o.red_cw = 318;
    o.red_ccw = 302;
    o.red_primary = 49;
    o.red_secondary = 257;
    o.fullscreen = true;
    o.width = 1366;
    o.height = 768;
    return o;
}

void expect_same(const COptions& a, const COptions& b) {
    EXPECT_EQ(a.blue_cw, b.blue_cw);
    EXPECT_EQ(a.blue_ccw, b.blue_ccw);
    EXPECT_EQ(a.blue_primary, b.blue_primary);
    EXPECT_EQ(a.blue_secondary, b.blue_secondary);
    EXPECT_EQ(a.red_cw, b.red_cw);
    EXPECT_EQ(a.red_ccw, b.red_ccw);
    EXPECT_EQ(a.red_primary, b.red_primary);
    EXPECT_EQ(a.red_secondary, b.red_secondary);
    EXPECT_EQ(a.fullscreen, b.fullscreen);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
}

// Reads "conf" into a record that holds other values first, so that stale fields would show.
COptions read_conf(int* result = nullptr) {
    COptions o = custom();
    int r = o.read();
    if (result)
        *result = r;
    return o;
}

std::vector<std::string> folder_entries() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(fs::current_path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every test runs in a fresh folder of its own, since "conf" is opened by its relative name.
class Options : public ScratchFolderTest {};

}  // namespace

TEST_F(Options, DefaultsAreWrittenByteForByte) {
    COptions o = defaults();
    o.write();
    EXPECT_EQ(read_text("conf"), DEFAULT_FILE);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"conf"});
}

TEST_F(Options, SavedRecordReadsBackIncludingUnboundKeys) {
    COptions saved = custom();
    saved.write();
    EXPECT_EQ(read_text("conf"),
              "32 blue_cw\n96 blue_ccw\n-1 blue_primary\n283 blue_secondary\n318 red_cw\n302 red_ccw\n"
              "49 red_primary\n257 red_secondary\n1366 768\n1");
    COptions back = defaults();
    EXPECT_EQ(back.read(), 0);
    expect_same(back, saved);
}

TEST_F(Options, SavingAgainReplacesTheWholeFile) {
    custom().write();
    defaults().write();
    EXPECT_EQ(read_text("conf"), DEFAULT_FILE);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"conf"});
}

TEST_F(Options, MissingFileLeavesTheRecordAlone) {
    COptions o = custom();
    EXPECT_EQ(o.read(), -1);
    expect_same(o, custom());
    EXPECT_FALSE(fs::exists("conf"));
}

TEST_F(Options, OtherSeparatorsReadTheSame) {
    const std::string variants[] = {
        // CRLF line ends
        "65 blue_cw\r\n81 blue_ccw\r\n68 blue_primary\r\n70 blue_secondary\r\n306 red_cw\r\n309 red_ccw\r\n"
        "307 red_primary\r\n308 red_secondary\r\n1024 600\r\n0\r\n",
        // any other single word as a label
        "65 a\n81 b\n68 c\n70 d\n306 e\n309 f\n307 g\n308 h\n1024 600\n0",
        // everything on one line
        "65 blue_cw 81 blue_ccw 68 blue_primary 70 blue_secondary 306 red_cw 309 red_ccw 307 red_primary "
        "308 red_secondary 1024 600 0",
        // tabs, runs of blanks and a trailing line feed
        "\t65\tblue_cw\n\n81   blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
        "307 red_primary\n308 red_secondary\n1024\t600\n0\n",
    };
    for (const std::string& text : variants) {
        write_text("conf", text);
        int result = -2;
        COptions o = read_conf(&result);
        EXPECT_EQ(result, 0);
        expect_same(o, defaults());
    }
}

TEST_F(Options, MissingLabelsShiftTheLaterValues) {
    // Every second number is taken as a label.
    write_text("conf", "10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 800 640 1");
    COptions o = read_conf();
    EXPECT_EQ(o.blue_cw, 10);
    EXPECT_EQ(o.blue_ccw, 12);
    EXPECT_EQ(o.blue_primary, 14);
    EXPECT_EQ(o.blue_secondary, 16);
    EXPECT_EQ(o.red_cw, 18);
    EXPECT_EQ(o.red_ccw, 20);
    EXPECT_EQ(o.red_primary, 22);
    EXPECT_EQ(o.red_secondary, 24);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 640);
    EXPECT_TRUE(o.fullscreen);
}

TEST_F(Options, ValuesAreStoredWithoutRangeChecks) {
    write_text("conf", "99999 x\n-1 x\n0 x\n97 x\n1 x\n2 x\n3 x\n4 x\n5000 3\n1");
    COptions o = read_conf();
    EXPECT_EQ(o.blue_cw, 99999);
    EXPECT_EQ(o.blue_ccw, -1);
    EXPECT_EQ(o.blue_primary, 0);
    EXPECT_EQ(o.blue_secondary, 97);
    EXPECT_EQ(o.width, 5000);
    EXPECT_EQ(o.height, 3);
    EXPECT_TRUE(o.fullscreen);
}

TEST_F(Options, FilesThatDoNotParseCompletelyYieldTheDefaults) {
    const std::string bad[] = {
        "",
        "\n\n\r\n",
        // only the eleven values: the labels swallow half of them and the file ends early
        "65\n81\n68\n70\n306\n309\n307\n308\n1024 600\n0",
        // text where a number belongs
        "65 blue_cw\nQ blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
        "307 red_primary\n308 red_secondary\n1024 600\n0",
        // cut off before the fullscreen flag
        "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
        "307 red_primary\n308 red_secondary\n1024 600\n",
        // a flag that is neither 0 nor 1
        "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
        "307 red_primary\n308 red_secondary\n1024 600\n2",
        // a number too large for an int
        "65 blue_cw\n81 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
        "307 red_primary\n308 red_secondary\n99999999999999999999 600\n0",
        // sizes no window can have
        "65 a\n81 b\n68 c\n70 d\n306 e\n309 f\n307 g\n308 h\n0 600\n0",
        "65 a\n81 b\n68 c\n70 d\n306 e\n309 f\n307 g\n308 h\n1024 -600\n1",
        std::string("\x00\xff\x7f garbage \x01", 13),
    };
    for (const std::string& text : bad) {
        write_text("conf", text);
        int result = -2;
        COptions o = read_conf(&result);
        EXPECT_EQ(result, 0) << text;
        expect_same(o, defaults());
    }
}

TEST_F(Options, AbsurdlyLargeFileYieldsTheDefaults) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "zzz ";
    write_text("conf", text);
    expect_same(read_conf(), defaults());
}

TEST_F(Options, FolderNamedConfGivesTheDefaultsToTheCaller) {
    fs::create_directory("conf");
    COptions o = custom();
    // The caller's protocol: read, and restore when it reports failure.
    if (o.read() != 0)
        o.restore();
    expect_same(o, defaults());
}

// A failed save must say so on one line and leave the previous file exactly as it was.
TEST_F(Options, SaveOverAFolderFailsCleanly) {
    fs::create_directories("conf/inside");
    ::testing::internal::CaptureStderr();
    defaults().write();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_directory("conf/inside"));
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"conf"});
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

namespace {

// Saves while files may not grow past 100 bytes, so the new file cannot be written in full; returns
// what the save said on standard error.
std::string save_out_of_space(COptions o) {
    rlimit old_limit;
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit small = old_limit;
    small.rlim_cur = 100;
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ::testing::internal::CaptureStderr();
    o.write();
    const std::string err = ::testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    return err;
}

fs::perms permissions(const fs::path& path) {
    return fs::symlink_status(path).permissions();
}

}  // namespace

TEST_F(Options, SaveThatRunsOutOfSpaceKeepsTheOldFile) {
    defaults().write();
    const std::string err = save_out_of_space(custom());
    EXPECT_EQ(read_text("conf"), DEFAULT_FILE);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"conf"});
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

// A "conf" kept elsewhere (a dotfiles folder) and linked in stays a link; the file it points at is
// what changes, and a failed save leaves that file as it was.
TEST_F(Options, SaveWritesThroughALinkedConf) {
    fs::create_directories("dotfiles/games");
    write_text("dotfiles/games/zelvorant", "old");
    fs::create_symlink("dotfiles/games/zelvorant", "second link");
    fs::create_symlink("second link", "conf");

    custom().write();
    EXPECT_TRUE(fs::is_symlink("conf"));
    EXPECT_TRUE(fs::is_symlink("second link"));
    COptions back = defaults();
    EXPECT_EQ(back.read(), 0);
    expect_same(back, custom());
    EXPECT_EQ(fs::directory_iterator("dotfiles/games")->path().filename(), "zelvorant");
    EXPECT_EQ(std::distance(fs::directory_iterator("dotfiles/games"), fs::directory_iterator()), 1);

    const std::string err = save_out_of_space(defaults());
    EXPECT_TRUE(fs::is_symlink("conf"));
    EXPECT_EQ(read_text("conf"), read_text("dotfiles/games/zelvorant"));
    back.read();
    expect_same(back, custom());
    EXPECT_EQ(std::distance(fs::directory_iterator("dotfiles/games"), fs::directory_iterator()), 1);
    EXPECT_NE(err.find("conf"), std::string::npos) << err;
}

// A link to a file that does not exist yet: the save creates that file and keeps the link.
TEST_F(Options, SaveThroughADanglingLinkCreatesItsTarget) {
    fs::create_directory("dotfiles");
    fs::create_symlink(fs::absolute("dotfiles/conf"), "conf");
    defaults().write();
    EXPECT_TRUE(fs::is_symlink("conf"));
    EXPECT_EQ(read_text("dotfiles/conf"), DEFAULT_FILE);
}

// A player who keeps "conf" private (or shared) finds it so after a save, linked or not.
TEST_F(Options, SaveKeepsTheModeOfTheFileItReplaces) {
    fs::create_directory("dotfiles");
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}) {
        for (const bool linked : {false, true}) {
            const std::string file = linked ? "dotfiles/conf" : "conf";
            if (linked)
                fs::create_symlink(file, "conf");
            write_text(file, "old");
            fs::permissions(file, mode);
            custom().write();
            EXPECT_EQ(permissions(file), mode) << file;
            EXPECT_EQ(read_text(file).substr(0, 3), "32 ") << file;
            fs::remove("conf");
            fs::remove(file);
        }
    }
}

TEST_F(Options, SaveIntoARemovedFolderIsReported) {
    const fs::path here = fs::current_path();
    fs::remove(here);
    ::testing::internal::CaptureStderr();
    defaults().write();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(here));
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

namespace {

// The options menu's buttons as the options code sees them: eight keys, four others, the toggle.
struct options_menu {
    CWindow window{100, 0, 600, 600, ""};
    options_menu() {
        for (int i = 0; i < 8; ++i)
            window.add_button(25, 500, 100, 30, "?");
        for (const char* t : {"Save", "Cancel", "<", ">"})
            window.add_button(0, 0, 30, 30, t);
        window.add_button(25, 180, 230, 30, "Fullscreen OFF");
    }
    ~options_menu() {
        for (CButton* b : window.buttons)
            delete b;
    }
    std::string title(int i) const { return window.buttons[i]->title; }
};

}  // namespace

TEST(OptionsMenu, RecordToTitlesAndBack) {
    options_menu menu;
    COptions o = defaults();
    o.to_menu(&menu.window);
    const char* names[8] = {"A", "Q", "D", "F", "KP_4", "KP_7", "KP_5", "KP_6"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(menu.title(i), names[i]);
    EXPECT_EQ(menu.title(8), "Save");
    EXPECT_EQ(menu.title(11), ">");
    EXPECT_EQ(menu.title(12), "Fullscreen OFF");

    COptions c = custom();
    c.to_menu(&menu.window);
    EXPECT_EQ(menu.title(0), "SPACE");
    EXPECT_EQ(menu.title(2), "???");
    EXPECT_EQ(menu.title(12), "Fullscreen ON");

    COptions back = defaults();
    back.from_menu(&menu.window);
    expect_same(back, [] {
        COptions e = custom();
        e.width = 1024;  // the resolution is not in the buttons
        e.height = 600;
        return e;
    }());
}

TEST(OptionsMenu, RebindingsAndToggleAreTakenFromTitles) {
    options_menu menu;
    COptions o = defaults();
    o.to_menu(&menu.window);
    menu.window.buttons[1]->title = "UP";
    menu.window.buttons[5]->title = "???";
    menu.window.buttons[12]->title = "Fullscreen ON";
    o.from_menu(&menu.window);
    EXPECT_EQ(o.blue_ccw, 283);
    EXPECT_EQ(o.red_ccw, -1);
    EXPECT_TRUE(o.fullscreen);

    // A toggle title that is neither state leaves the flag alone.
    menu.window.buttons[12]->title = "Fullscreen";
    o.from_menu(&menu.window);
    EXPECT_TRUE(o.fullscreen);

    o.to_menu(&menu.window);
    EXPECT_EQ(menu.title(1), "UP");
    EXPECT_EQ(menu.title(5), "???");
    EXPECT_EQ(menu.title(12), "Fullscreen ON");
}

TEST(OptionsMenu, ShortOrMissingMenuIsLeftAlone) {
    COptions o = custom();
    o.from_menu(nullptr);
    o.to_menu(nullptr);
    CWindow small(0, 0, 10, 10, "");
    small.add_button(0, 0, 1, 1, "B");
    o.from_menu(&small);
    EXPECT_EQ(o.blue_cw, 66);
    EXPECT_EQ(o.blue_ccw, custom().blue_ccw);
    o.to_menu(&small);
    EXPECT_EQ(small.buttons[0]->title, "B");
    EXPECT_EQ(small.buttons.size(), 1u);
    delete small.buttons[0];
}

// A pipe or a device in place of "conf" would keep start-up waiting for ever, or reading for ever.
TEST_F(Options, APipeOrADeviceInPlaceOfConfGivesTheDefaultsAtOnce) {
    ASSERT_EQ(mkfifo("conf", 0600), 0);
    const auto read_defaults = [] {
        COptions o = custom();
        if (o.read() != 0)
            o.restore();
        return o.width == 1024 && o.height == 600 && o.blue_cw == 65 ? 0 : 1;
    };
    EXPECT_EQ(bounded_call(5, read_defaults), 0);
    fs::remove("conf");
    fs::create_symlink("/dev/zero", "conf");
    EXPECT_EQ(bounded_call(5, read_defaults), 0);
}

// No monitor has a side beyond 8192 pixels, and a window that large takes gigabytes in software: the
// keys are read, the window gets the default size, and "conf" stays as the player left it.
TEST_F(Options, AWindowBeyond8192OnASideGetsTheDefaultSizeAndConfIsKept) {
    const std::string huge =
        "32 blue_cw\n96 blue_ccw\n68 blue_primary\n70 blue_secondary\n306 red_cw\n309 red_ccw\n"
        "307 red_primary\n308 red_secondary\n16384 16384\n1";
    write_text("conf", huge);
    ::testing::internal::CaptureStderr();
    COptions o = read_conf();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(o.width, 1024);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.blue_cw, 32);
    EXPECT_EQ(o.blue_ccw, 96);
    EXPECT_TRUE(o.fullscreen);
    EXPECT_EQ(read_text("conf"), huge);
    EXPECT_EQ(err,
              "\"conf\" asks for a window of 16384 x 16384 pixels, more than any monitor has (8192 on a "
              "side): using 1024 x 600\n");

    // One side too large is enough; 8192 on both is taken as it is, quietly.
    for (const char* size : {"1024 8193", "8193 600"}) {
        write_text("conf", std::string("1 a\n2 b\n3 c\n4 d\n5 e\n6 f\n7 g\n8 h\n") + size + "\n0");
        ::testing::internal::CaptureStderr();
        const COptions p = read_conf();
        EXPECT_NE(::testing::internal::GetCapturedStderr(), "") << size;
        EXPECT_EQ(p.width, 1024) << size;
        EXPECT_EQ(p.height, 600) << size;
        EXPECT_EQ(p.blue_cw, 1) << size;
    }
    write_text("conf", "1 a\n2 b\n3 c\n4 d\n5 e\n6 f\n7 g\n8 h\n8192 8192\n0");
    ::testing::internal::CaptureStderr();
    const COptions q = read_conf();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(q.width, 8192);
    EXPECT_EQ(q.height, 8192);
}
