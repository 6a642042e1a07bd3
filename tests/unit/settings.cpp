#include "game/config/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <vector>

#include "game/config/frame_rate.h"
#include "game/sim/opponent_kind.h"
#include "general/atomic_file.h"
#include "general/line_faults.h"
#include "gl_window.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// "settings" is opened by its relative name: every test runs in a fresh folder of its own.
class SettingsFile : public ScratchFolderTest {};

CSettings read_settings() {
    CSettings s;
    s.sound = false;
    s.volume = 3;
    s.read();
    return s;
}

}  // namespace

TEST_F(SettingsFile, MissingFileGivesTheDefaultsAndWritesNothing) {
    testing::internal::CaptureStderr();
    CSettings s = read_settings();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(s.sound);
    EXPECT_EQ(s.volume, 8);
    EXPECT_FALSE(fs::exists("settings"));
}

TEST_F(SettingsFile, SavedValuesReadBackAndUnknownLinesSurvive) {
    write_text("settings", "# kept\nfuture_option = 0.3\nvolume=2\n\nfuture thing = a = b\n");
    CSettings s = read_settings();
    EXPECT_TRUE(s.sound);
    EXPECT_EQ(s.volume, 2);
    s.sound = false;
    s.volume = 10;
    s.write();
    EXPECT_EQ(read_text("settings"),
              "# kept\nfuture_option = 0.3\nvolume = 10\n\nfuture thing = a = b\nsound = off\n");
    CSettings back = read_settings();
    EXPECT_FALSE(back.sound);
    EXPECT_EQ(back.volume, 10);
}

TEST_F(SettingsFile, MalformedFilesGiveTheDefaultsWithOneLineOnStderr) {
    const char* bad[] = {"volume = 11\n", "volume = -1\n", "volume = 5x\n", "volume =\n",
                         "sound = yes\n", "just words\n",  "= 4\n",         "sound = on\nvolume 4\n"};
    for (const char* text : bad) {
        write_text("settings", text);
        testing::internal::CaptureStderr();
        CSettings s = read_settings();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(s.sound) << text;
        EXPECT_EQ(s.volume, 8) << text;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << text << err;
        EXPECT_NE(err.find("\"settings\""), std::string::npos) << err;
    }
}

// A pipe in the file's place would keep a reader waiting for a writer that never comes.
TEST_F(SettingsFile, APipeOrAFolderInItsPlaceGivesTheDefaultsAtOnce) {
    ASSERT_EQ(mkfifo("settings", 0600), 0);
    for (int i = 0; i < 2; ++i) {
        testing::internal::CaptureStderr();
        CSettings s = read_settings();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(s.sound);
        EXPECT_EQ(s.volume, 8);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        fs::remove("settings");
        fs::create_directory("settings");
    }
}

TEST_F(SettingsFile, PadSettingsReadBackAndBadOnesGiveTheDefaults) {
    write_text("settings", "pad_dead_zone = 0.5\npads_swapped = on\n");
    CSettings s = read_settings();
    EXPECT_FLOAT_EQ(s.pad_dead_zone, 0.5f);
    EXPECT_TRUE(s.pads_swapped);
    s.pad_dead_zone = 0.125f;
    s.pads_swapped = false;
    s.write();
    CSettings back = read_settings();
    EXPECT_FLOAT_EQ(back.pad_dead_zone, 0.125f);
    EXPECT_FALSE(back.pads_swapped);

    for (const char* text : {"pad_dead_zone = 0\n", "pad_dead_zone = 0.9\n"}) {
        write_text("settings", text);
        EXPECT_NE(read_settings().pad_dead_zone, 0.25f) << text;
    }
    const char* bad[] = {"pad_dead_zone = 0.95\n", "pad_dead_zone = -0.1\n", "pad_dead_zone = nan\n",
                         "pad_dead_zone = 0.3x\n", "pad_dead_zone =\n",      "pads_swapped = 1\n"};
    for (const char* text : bad) {
        write_text("settings", text);
        testing::internal::CaptureStderr();
        CSettings d = read_settings();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FLOAT_EQ(d.pad_dead_zone, 0.25f) << text;
        EXPECT_FALSE(d.pads_swapped) << text;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << text << err;
    }
}

TEST_F(SettingsFile, AFolderInPlaceOfTheFileGivesTheDefaults) {
    fs::create_directory("settings");
    testing::internal::CaptureStderr();
    CSettings s = read_settings();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.volume, 8);
}

TEST_F(SettingsFile, ASavedFileThatFailsReportsAndKeepsTheOldOne) {
    fs::create_directory("settings");
    CSettings s;
    testing::internal::CaptureStderr();
    s.write();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Could not save the settings to \"settings\""), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory("settings"));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(SettingsFile, SavingWritesThroughASymbolicLinkAndKeepsTheMode) {
    fs::create_directory("dotfiles");
    write_text("dotfiles/zel", "volume = 1\n");
    chmod("dotfiles/zel", 0600);
    fs::create_symlink("dotfiles/zel", "settings");
    CSettings s = read_settings();
    EXPECT_EQ(s.volume, 1);
    s.volume = 4;
    s.write();
    EXPECT_TRUE(fs::is_symlink("settings"));
    EXPECT_EQ(read_text("dotfiles/zel"), "volume = 4\n");
    EXPECT_EQ(fs::status("dotfiles/zel").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator("dotfiles"), fs::directory_iterator()), 1);
}

TEST(AtomicFile, ALinkToAFileNotYetWrittenCreatesItAndALoopIsRefused) {
    fs::path dir = scratch_dir("AtomicFileLinks");
    fs::create_symlink("real", dir / "link");
    std::string error;
    ASSERT_TRUE(write_file_atomically((dir / "link").string(), "x", error)) << error;
    EXPECT_EQ(read_text((dir / "real").string()), "x");
    EXPECT_TRUE(fs::is_symlink(dir / "link"));

    fs::create_symlink("loop_b", dir / "loop_a");
    fs::create_symlink("loop_a", dir / "loop_b");
    EXPECT_FALSE(write_file_atomically((dir / "loop_a").string(), "x", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_symlink(dir / "loop_a"));
}

TEST_F(SettingsFile, NetworkLinesAppearOnceUsedAndAreChecked) {
    CSettings s = read_settings();
    s.write();
    EXPECT_EQ(read_text("settings").find("network_port"), std::string::npos);
    EXPECT_EQ(read_text("settings").find("last_join"), std::string::npos);

    s.last_join = "10.0.0.2:4000";
    s.input_delay = 10;
    s.write();
    CSettings back = read_settings();
    EXPECT_EQ(back.last_join, "10.0.0.2:4000");
    EXPECT_EQ(back.input_delay, 10);
    EXPECT_EQ(back.network_port, 24816);

    for (const char* bad : {"input_delay = 0\n", "input_delay = 51\n", "network_port = 65536\n"}) {
        write_text("settings", bad);
        testing::internal::CaptureStderr();
        const CSettings d = read_settings();
        EXPECT_NE(testing::internal::GetCapturedStderr(), "") << bad;
        EXPECT_EQ(d.input_delay, 6) << bad;
        EXPECT_EQ(d.network_port, 24816) << bad;
    }
}

// A later version's file, with one value this version refuses: raising the volume and saving must
// change that one line and keep the rest, the refused line included, as it was.
TEST_F(SettingsFile, OneBadValueResetsItselfAloneAndSaveChangesOnlyWhatThePlayerChanged) {
    const std::string before =
        "# my settings\nnetwork_port = 4000\nlast_join=10.0.0.2:4000\nvolume = 5\n"
        "shiny_new_option = 3\npad_dead_zone = 0.95\n";
    write_text("settings", before);
    testing::internal::CaptureStderr();
    CSettings s = read_settings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("pad_dead_zone"), std::string::npos) << err;
    EXPECT_EQ(s.network_port, 4000);
    EXPECT_EQ(s.last_join, "10.0.0.2:4000");
    EXPECT_EQ(s.volume, 5);
    EXPECT_FLOAT_EQ(s.pad_dead_zone, 0.25f);

    s.volume += 1;
    s.save();
    EXPECT_EQ(read_text("settings"),
              "# my settings\nnetwork_port = 4000\nlast_join=10.0.0.2:4000\nvolume = 6\n"
              "shiny_new_option = 3\npad_dead_zone = 0.95\n");

    // Changing a refused value writes it; a line that is not "name = value" stays as it was.
    write_text("settings", "volume = 5\nnot a setting\r\npad_dead_zone = 0.95\n");
    testing::internal::CaptureStderr();
    CSettings t = read_settings();
    const std::string err2 = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err2.begin(), err2.end(), '\n'), 2) << err2;
    EXPECT_EQ(t.volume, 5);
    t.pad_dead_zone = 0.5f;
    t.save();
    EXPECT_EQ(read_text("settings"), "volume = 5\nnot a setting\r\npad_dead_zone = 0.5\n");
}

// The rendezvous server: the build's choice until the file names one; a line that cannot
// be a host and port is refused and leaves the build's choice; a file without the line never gains it.
TEST_F(SettingsFile, TheRendezvousServerComesFromItsLineOrTheBuild) {
    const std::string build_choice = CSettings().rendezvous_server;
    EXPECT_EQ(read_settings().rendezvous_server, build_choice);
    write_text("settings", "rendezvous_server = rdv.example.org:24817\n");
    EXPECT_EQ(read_settings().rendezvous_server, "rdv.example.org:24817");
    write_text("settings", "rendezvous_server = rm -rf /\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_settings().rendezvous_server, build_choice);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("rendezvous_server"), std::string::npos);

    write_text("settings", "volume = 5\n");
    CSettings s = read_settings();
    s.volume = 6;
    s.save();
    EXPECT_EQ(read_text("settings"), "volume = 6\n");
}

// A file of junk says a few of its lines and how many more, not every one of them.
TEST_F(SettingsFile, AFileOfJunkLinesSaysAFewAndACount) {
    std::string text = "volume = 3\n";
    for (int i = 0; i < 5000; ++i)
        text += "junk\n";
    write_text("settings", text);
    testing::internal::CaptureStderr();
    CSettings s = read_settings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.volume, 3);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), CLineFaults::SHOWN + 1) << err;
    EXPECT_NE(err.find("Skipping line 2 of \"settings\""), std::string::npos) << err;
    EXPECT_NE(err.find("4997 more lines of \"settings\" (5000 in all)"), std::string::npos) << err;
}

TEST_F(SettingsFile, TheOpponentLineAppearsOnceChosenAndIsChecked) {
    CSettings s = read_settings();
    EXPECT_EQ(s.opponent, global::CLASSIC_OPPONENT);
    s.write();
    EXPECT_EQ(read_text("settings").find("opponent"), std::string::npos);
    EXPECT_TRUE(s.is_default());

    s.opponent = global::GUNNER_OPPONENT;
    EXPECT_FALSE(s.is_default());
    s.write();
    EXPECT_NE(read_text("settings").find("opponent = gunner\n"), std::string::npos);
    EXPECT_EQ(read_settings().opponent, global::GUNNER_OPPONENT);
    // Back to the classic computer, the line stays and says so.
    s.opponent = global::CLASSIC_OPPONENT;
    s.write();
    EXPECT_NE(read_text("settings").find("opponent = classic\n"), std::string::npos);
    EXPECT_EQ(read_settings().opponent, global::CLASSIC_OPPONENT);

    for (const char* bad : {"opponent = Gunner\n", "opponent = 1\n", "opponent =\n"}) {
        write_text("settings", bad);
        testing::internal::CaptureStderr();
        const CSettings d = read_settings();
        EXPECT_NE(testing::internal::GetCapturedStderr(), "") << bad;
        EXPECT_EQ(d.opponent, global::CLASSIC_OPPONENT) << bad;
    }
}

TEST_F(SettingsFile, TheFrameRateLineAppearsOnceChosenAndIsChecked) {
    // Unlimited is the game as it always was: a file saved without a choice gains no line.
    CSettings s = read_settings();
    EXPECT_EQ(s.frame_rate, frame_rate::UNLIMITED);
    s.write();
    EXPECT_EQ(read_text("settings").find("frame_rate"), std::string::npos);
    // A choice alone is worth a file.
    s.frame_rate = 60;
    EXPECT_FALSE(s.is_default());

    for (int rate : {frame_rate::VSYNC, 144, 60, frame_rate::UNLIMITED, 75}) {
        s.frame_rate = rate;
        s.write();
        EXPECT_EQ(read_settings().frame_rate, rate) << read_text("settings");
    }
    EXPECT_NE(read_text("settings").find("frame_rate = 75\n"), std::string::npos);

    for (const char* bad :
         {"frame_rate = 0\n", "frame_rate = 9\n", "frame_rate = 1001\n", "frame_rate = -1\n",
          "frame_rate = +60\n", "frame_rate = 60 fps\n", "frame_rate = VSYNC\n", "frame_rate =\n"}) {
        write_text("settings", bad);
        testing::internal::CaptureStderr();
        const CSettings d = read_settings();
        EXPECT_NE(testing::internal::GetCapturedStderr(), "") << bad;
        EXPECT_EQ(d.frame_rate, frame_rate::UNLIMITED) << bad;
    }
}

TEST(FrameRate, TheOptionsCycleVisitsEachChoiceOnceAndTitlesFitTheButton) {
    std::vector<int> seen;
    int rate = frame_rate::UNLIMITED;
    do {
        seen.push_back(rate);
        // The button is 230 pixels wide: at most 15 characters of the menu's font.
        EXPECT_LE(frame_rate::title(rate).size(), 15u) << rate;
        rate = frame_rate::next(rate);
    } while (rate != frame_rate::UNLIMITED && seen.size() < 10);
    EXPECT_EQ(seen, (std::vector<int>{frame_rate::UNLIMITED, frame_rate::VSYNC, 60, 120, 144}));
    // A cap set by hand goes back to the start of the cycle.
    EXPECT_EQ(frame_rate::next(75), frame_rate::UNLIMITED);
    EXPECT_EQ(frame_rate::title(frame_rate::VSYNC), "Vertical sync");
    EXPECT_EQ(frame_rate::title(60), "60 FPS cap");
}

TEST_F(SettingsFile, ARefusedValueIsSaidBackQuotedAndCut) {
    write_text("settings", "volume = " + std::string(900000, '9') + "\nopponent = a\x1b[2Jb\n");
    testing::internal::CaptureStderr();
    const CSettings s = read_settings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.volume, 8);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
    EXPECT_LT(err.size(), 400u) << err;
    EXPECT_NE(err.find("(cut, 900000 bytes in all)"), std::string::npos) << err;
    // An escape sequence reaches no terminal: its byte is written out.
    EXPECT_NE(err.find("opponent = \"a\\x1b[2Jb\""), std::string::npos) << err;
}
