// Pads without a pad: the seats pads take as they come and go, the raw layout of joysticks GLFW cannot
// map and the standard layout a browser gives, the mapping file's line check, and the shared-key marks of the
// options menu.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bounded_call.h"
#include "game/input/key_clashes.h"
#include "game/input/pad_mappings.h"
#include "game/input/pad_roster.h"
#include "general/line_faults.h"
#include "interface/window.h"
#include "platform/pads.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace {

// The station pad `id` drives, as "blue", "red" or "none".
std::string station(const CPadRoster& roster, int id, bool single = false, bool swapped = false) {
    station_side side = BLUE_STATION;
    if (!roster.station_of(id, single, swapped, side))
        return "none";
    return side == BLUE_STATION ? "blue" : "red";
}

}  // namespace

TEST(PadSeats, FirstPadDrivesBlueSecondRedLaterOnesWaitForAFreeSeat) {
    CPadRoster roster;
    roster.connect(3, "first");
    roster.connect(0, "second");
    roster.connect(5, "third");
    EXPECT_EQ(station(roster, 3), "blue");
    EXPECT_EQ(station(roster, 0), "red");
    EXPECT_EQ(station(roster, 5), "none");
    EXPECT_EQ(station(roster, 7), "none");

    // Seen again: still the same seat, never a second entry.
    roster.connect(3, "first, renamed");
    EXPECT_EQ(roster.pads().size(), 3u);
    EXPECT_EQ(station(roster, 3), "blue");

    // The blue pad leaves: the waiting one takes blue, red keeps its pad.
    roster.disconnect(3);
    EXPECT_FALSE(roster.has(3));
    EXPECT_EQ(station(roster, 5), "blue");
    EXPECT_EQ(station(roster, 0), "red");
    // It comes back and waits; a free seat goes to the next pad to arrive.
    roster.connect(3, "first");
    EXPECT_EQ(station(roster, 3), "none");
    roster.disconnect(0);
    EXPECT_EQ(station(roster, 3), "red");
    roster.disconnect(42);
    EXPECT_EQ(roster.pads().size(), 2u);
}

TEST(PadSeats, SwappingTurnsTheSeatsRoundAndSinglePlayerPutsEveryPadOnBlue) {
    CPadRoster roster;
    roster.connect(0, "a");
    roster.connect(1, "b");
    roster.connect(2, "c");
    EXPECT_EQ(station(roster, 0, false, true), "red");
    EXPECT_EQ(station(roster, 1, false, true), "blue");
    EXPECT_EQ(station(roster, 2, false, true), "none");
    for (int id : {0, 1, 2}) {
        EXPECT_EQ(station(roster, id, true, false), "blue");
        EXPECT_EQ(station(roster, id, true, true), "blue");
    }
}

TEST(PadSeats, OptionsLinesNameEachPadAndItsStationWithinTheWidth) {
    CPadRoster roster;
    EXPECT_TRUE(pad_roster_lines(roster, false, false, 30).empty());
    roster.connect(0, "Xbox Controller");
    roster.connect(1, "A pad whose name is far too long for the column");
    roster.connect(2, "Caf\xc3\xa9\tpad");
    roster.connect(3, "");
    const std::vector<std::string> lines = pad_roster_lines(roster, false, false, 30);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Blue: Xbox Controller");
    EXPECT_EQ(lines[1], "Red: A pad whose name is far t");
    EXPECT_EQ(lines[2], "Spare: Caf???pad");
    EXPECT_EQ(lines[3], "Spare: Pad");
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 30u);
    EXPECT_EQ(pad_roster_lines(roster, true, false, 30)[3], "Blue: Pad");
    EXPECT_EQ(pad_roster_lines(roster, false, true, 30)[0], "Red: Xbox Controller");
}

TEST(RawPadLayout, ButtonsSticksAndHatFollowTheCommonOrder) {
    const unsigned char buttons[] = {1, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    const float axes[] = {0.5f, -0.75f, 0.9f};
    const unsigned char hats[] = {1 | 8};  // up and left
    glfw2::pad_state s;
    glfw2::read_raw_layout(buttons, 10, axes, 3, hats, 1, s);
    EXPECT_TRUE(s.buttons[glfw2::PAD_SOUTH]);
    EXPECT_FALSE(s.buttons[glfw2::PAD_EAST]);
    EXPECT_TRUE(s.buttons[glfw2::PAD_START]);
    // Buttons past the eighth have no agreed meaning.
    EXPECT_FALSE(s.buttons[glfw2::PAD_GUIDE]);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_LEFT_X], 0.5f);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_LEFT_Y], -0.75f);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_RIGHT_X], 0.0f);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_RIGHT_TRIGGER], -1.0f);
    EXPECT_TRUE(s.buttons[glfw2::PAD_UP]);
    EXPECT_TRUE(s.buttons[glfw2::PAD_LEFT]);
    EXPECT_FALSE(s.buttons[glfw2::PAD_DOWN]);
    EXPECT_FALSE(s.buttons[glfw2::PAD_RIGHT]);

    // A joystick with two buttons, one axis and no hat reads only what it has.
    glfw2::pad_state small;
    glfw2::read_raw_layout(buttons, 2, axes, 1, hats, 0, small);
    EXPECT_TRUE(small.buttons[glfw2::PAD_SOUTH]);
    EXPECT_FALSE(small.buttons[glfw2::PAD_START]);
    EXPECT_FALSE(small.buttons[glfw2::PAD_UP]);
    EXPECT_FLOAT_EQ(small.axes[glfw2::PAD_LEFT_Y], 0.0f);
}

TEST(PadMappingLines, WellFormedLinesPass) {
    for (const char* line :
         {"030000005e0400008e02000014010000,Xbox 360 Controller,a:b0,b:b1,back:b6,dpdown:h0.4,dpleft:h0.8,"
          "leftx:a0,lefty:a1,lefttrigger:a2,righttrigger:a5,start:b7,platform:Linux,",
          "03000000AABBCCDDEEFF001122334455,Odd pad,a:b2,leftx:-a3~,+righty:+a4,crc:1234,hint:!SDL_X:1"}) {
        EXPECT_EQ(mapping_fault(line), "") << line;
    }
}

TEST(PadMappingLines, MalformedLinesSayWhy) {
    const std::string guid = "030000005e0400008e02000014010000";
    const std::pair<std::string, std::string> bad[] = {
        {"just words", "no name after the GUID"},
        {guid + ",", "no name after the GUID"},
        {"030000005e0400008e0200001401000,Short,a:b0", "the GUID is not 32 hexadecimal digits"},
        {"030000005e0400008e02000014010zz0,Hex,a:b0", "the GUID is not 32 hexadecimal digits"},
        {guid + ",Pad,a", "\"a\" is not name:value"},
        {guid + ",Pad,:b0", "\":b0\" is not name:value"},
        {guid + ",Pad,a:zz", "\"a:zz\" names no button, axis or hat"},
        {guid + ",Pad,a:b", "\"a:b\" names no button, axis or hat"},
        {guid + ",Pad,dpup:h0", "\"dpup:h0\" names no button, axis or hat"},
        {guid + ",Pad,leftx:a1x", "\"leftx:a1x\" names no button, axis or hat"},
        {guid + ",Pad,a:b0," + std::string(1100, 'x'), "longer than 1023 characters"},
    };
    for (const auto& [line, why] : bad)
        EXPECT_EQ(mapping_fault(line), why) << line;
}

TEST(SharedKeys, EveryButtonWhoseKeyAnotherShowsIsMarked) {
    CWindow menu(0, 0, 600, 600, "");
    for (const char* title : {"A", "Q", "D", "F", "KP_4", "KP_7", "KP_5", "KP_6", "Save"})
        menu.add_button(0, 0, 10, 10, title);
    std::array<bool, 8> none{};
    EXPECT_EQ(shared_key_buttons(menu), none);

    menu.buttons[6]->title = "D";     // red primary on blue primary's key
    menu.buttons[1]->title = "KP_6";  // blue counter-clockwise on red secondary's key
    const std::array<bool, 8> marked = {false, true, true, false, false, false, true, true};
    EXPECT_EQ(shared_key_buttons(menu), marked);

    // Names of no key ("???", from a code without a name) never clash with each other.
    menu.buttons[0]->title = "???";
    menu.buttons[3]->title = "???";
    EXPECT_FALSE(shared_key_buttons(menu)[0]);
    EXPECT_FALSE(shared_key_buttons(menu)[3]);
    // A menu with fewer than eight buttons is read as far as it goes.
    CWindow few(0, 0, 10, 10, "");
    few.add_button(0, 0, 1, 1, "A");
    few.add_button(0, 0, 1, 1, "A");
    EXPECT_TRUE(shared_key_buttons(few)[0]);
    EXPECT_FALSE(shared_key_buttons(few)[2]);
    // A window leaves its buttons to whoever made them.
    for (CWindow* w : {&menu, &few})
        for (CButton* b : w->buttons)
            delete b;
}

namespace {

// Mapping files are read from the test's own folder.
class PadMappingFile : public ScratchFolderTest {};

const std::string GUID = "03000000aabbccddeeff001122334455";

// Loads "gamecontrollerdb.txt" in a child that may not take more than 512 MB (but for the address
// sanitizer, which maps terabytes of its own) nor write more than a megabyte of messages; gives the
// mappings added, or -1 when it did not end within five seconds.
int load_bounded() {
    return bounded_call(5, [] {
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit memory{512u << 20, 512u << 20};
        if (setrlimit(RLIMIT_AS, &memory) != 0)
            return 255;
#endif
        const rlimit output{1u << 20, 1u << 20};
        if (setrlimit(RLIMIT_FSIZE, &output) != 0 || std::freopen("stderr.txt", "w", stderr) == nullptr)
            return 255;
        return load_pad_mappings("gamecontrollerdb.txt");
    });
}

std::size_t lines_in(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

// A pipe would keep start-up waiting, a device would feed the reader for ever.
TEST_F(PadMappingFile, APipeOrADeviceInItsPlaceAddsNothingAtOnce) {
    ASSERT_EQ(mkfifo("gamecontrollerdb.txt", 0600), 0);
    EXPECT_EQ(load_bounded(), 0);
    EXPECT_EQ(lines_in(read_text("stderr.txt")), 1u) << read_text("stderr.txt");
    for (const char* device : {"/dev/zero", "/dev/urandom"}) {
        std::filesystem::remove("gamecontrollerdb.txt");
        std::filesystem::create_symlink(device, "gamecontrollerdb.txt");
        EXPECT_EQ(load_bounded(), 0) << device;
        EXPECT_EQ(lines_in(read_text("stderr.txt")), 1u) << device << read_text("stderr.txt");
    }
}

TEST_F(PadMappingFile, ManyBadLinesAreToldAFewAndACount) {
    std::string text = GUID + ",Good pad,a:b0,b:b1,platform:Linux,\n";
    for (int i = 0; i < 20000; ++i)
        text += "not a mapping " + std::to_string(i) + "\n";
    text += "03000000aabbccddeeff001122334466,Second pad,a:b1,b:b0\n";
    write_text("gamecontrollerdb.txt", text);
    EXPECT_EQ(load_bounded(), 2);
    const std::string err = read_text("stderr.txt");
    EXPECT_EQ(lines_in(err), static_cast<std::size_t>(CLineFaults::SHOWN + 1)) << err.substr(0, 2000);
    EXPECT_NE(err.find("Skipping line 2 of \"gamecontrollerdb.txt\": no name after the GUID"),
              std::string::npos)
        << err.substr(0, 2000);
    EXPECT_NE(err.find("19997 more lines of \"gamecontrollerdb.txt\" (20000 in all)"), std::string::npos)
        << err.substr(0, 2000);
}

// What a pad is given when it arrives: the last line for its GUID, whatever the letters' case, and
// never a line for another platform, which GLFW would refuse in its place.
TEST_F(PadMappingFile, ThePadGetsTheLastLineForItsGuidOnThisPlatform) {
    const std::string upper = "03000000AABBCCDDEEFF001122334455";
    write_text("gamecontrollerdb.txt",
               GUID + ",First,a:b0,platform:Linux,\n" + upper + ",Second,a:b1,platform:Linux,\n" + GUID +
                   ",Windows,a:b2,platform:Windows,\n" + GUID + ",Mac,a:b3,platform:Mac OS X,\n");
    EXPECT_EQ(load_bounded(), 2);
    EXPECT_EQ(read_text("stderr.txt"), "");
    load_pad_mappings("gamecontrollerdb.txt");
    const std::string* kept = glfw2::kept_pad_mapping(GUID);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*kept, GUID + ",Second,a:b1,platform:Linux,");
    ASSERT_NE(glfw2::kept_pad_mapping(upper), nullptr);
    EXPECT_EQ(glfw2::kept_pad_mapping("03000000aabbccddeeff001122334499"), nullptr);
}

TEST(StandardPadLayout, TheBrowsersLayoutFeedsThePadModel) {
    unsigned char pressed[17] = {};
    float values[17] = {};
    pressed[0] = pressed[9] = pressed[13] = pressed[16] = 1;  // south, start, d-pad down, guide
    values[6] = 0.5f;                                         // left trigger half way
    values[7] = 1.0f;
    const float axes[4] = {0.25f, -1.0f, 0.5f, 0.75f};
    glfw2::pad_state s;
    glfw2::read_standard_layout(pressed, values, 17, axes, 4, s);
    EXPECT_TRUE(s.buttons[glfw2::PAD_SOUTH]);
    EXPECT_TRUE(s.buttons[glfw2::PAD_START]);
    EXPECT_TRUE(s.buttons[glfw2::PAD_DOWN]);
    EXPECT_TRUE(s.buttons[glfw2::PAD_GUIDE]);
    EXPECT_FALSE(s.buttons[glfw2::PAD_UP]);
    EXPECT_FALSE(s.buttons[glfw2::PAD_BACK]);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_LEFT_Y], -1.0f);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_RIGHT_Y], 0.75f);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_LEFT_TRIGGER], 0.0f);
    EXPECT_FLOAT_EQ(s.axes[glfw2::PAD_RIGHT_TRIGGER], 1.0f);

    // A pad with fewer buttons and axes reads what it has; nonsense values read as the nearest sane one.
    const float wild[2] = {std::nanf(""), 7.0f};
    float wild_values[7] = {0, 0, 0, 0, 0, 0, -3.0f};
    glfw2::pad_state few;
    glfw2::read_standard_layout(pressed, wild_values, 7, wild, 2, few);
    EXPECT_TRUE(few.buttons[glfw2::PAD_SOUTH]);
    EXPECT_FALSE(few.buttons[glfw2::PAD_START]);
    EXPECT_FLOAT_EQ(few.axes[glfw2::PAD_LEFT_X], 0.0f);
    EXPECT_FLOAT_EQ(few.axes[glfw2::PAD_LEFT_Y], 1.0f);
    EXPECT_FLOAT_EQ(few.axes[glfw2::PAD_LEFT_TRIGGER], -1.0f);
    EXPECT_FLOAT_EQ(few.axes[glfw2::PAD_RIGHT_TRIGGER], -1.0f);
}
