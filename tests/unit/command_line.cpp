#include "game/config/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

launch_request parse(std::vector<const char*> words) {
    words.insert(words.begin(), "zelvorant");
    return parse_command_line(static_cast<int>(words.size()), words.data());
}

TEST(CommandLine, NoArgumentsPlays) {
    const launch_request r = parse({});
    EXPECT_EQ(r.mode, LAUNCH_PLAY);
    EXPECT_TRUE(r.value.empty());
}

TEST(CommandLine, EachOptionSelectsItsMode) {
    EXPECT_EQ(parse({"--help"}).mode, LAUNCH_HELP);
    EXPECT_EQ(parse({"--version"}).mode, LAUNCH_VERSION);
    launch_request r = parse({"--replay", "replays/a b.zvr"});
    EXPECT_EQ(r.mode, LAUNCH_REPLAY);
    EXPECT_EQ(r.value, "replays/a b.zvr");
    r = parse({"--verify-replay=x.zvr"});
    EXPECT_EQ(r.mode, LAUNCH_VERIFY_REPLAY);
    EXPECT_EQ(r.value, "x.zvr");
    // A file whose name starts with a dash is still the file.
    EXPECT_EQ(parse({"--replay", "-odd"}).value, "-odd");
    // Internet play: the port stays optional, the code does not.
    EXPECT_EQ(parse({"--host-online"}).mode, LAUNCH_HOST_ONLINE);
    r = parse({"--host-online", "4000"});
    EXPECT_EQ(r.mode, LAUNCH_HOST_ONLINE);
    EXPECT_EQ(r.value, "4000");
    r = parse({"--join-code", "kx7-4pq"});
    EXPECT_EQ(r.mode, LAUNCH_JOIN_CODE);
    EXPECT_EQ(r.value, "kx7-4pq");
    EXPECT_EQ(parse({"--join-code"}).mode, LAUNCH_BAD_USAGE);
}

TEST(CommandLine, MistakesAreBadUsageWithAReason) {
    struct mistake {
        std::vector<const char*> words;
        const char* mentions;
    };
    const mistake mistakes[] = {
        {{"--fly"}, "--fly"},
        {{"replay.zvr"}, "replay.zvr"},
        {{"-h"}, "-h"},
        {{"--replay"}, "FILE"},
        {{"--verify-replay="}, "FILE"},
        {{"--help=yes"}, "no value"},
        {{"--help", "--version"}, "only one"},
        {{"--replay", "a", "--replay", "b"}, "only one"},
        {{"--replay", "a", "b"}, "b"},
    };
    for (const mistake& m : mistakes) {
        const launch_request r = parse(m.words);
        EXPECT_EQ(r.mode, LAUNCH_BAD_USAGE) << m.words[0];
        EXPECT_NE(r.problem.find(m.mentions), std::string::npos) << r.problem;
        EXPECT_EQ(r.problem.find('\n'), std::string::npos) << "one line: " << r.problem;
    }
}

TEST(CommandLine, UsageListsEveryOption) {
    const std::string usage = usage_text();
    for (const char* option : {"--help", "--version", "--replay FILE", "--verify-replay FILE",
                               "--host-online [PORT]", "--join-code CODE"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    EXPECT_EQ(usage.back(), '\n');
    // Every key the recording viewer answers, which the watcher shares.
    for (const char* key : {"Space", "Left", "Right", "Home", "End", "Page Up", "Page Down", "Escape"})
        EXPECT_NE(usage.find(key), std::string::npos) << key;
}

}  // namespace
