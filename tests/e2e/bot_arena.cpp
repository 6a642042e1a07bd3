// The bot-arena program as a user runs it: its usage, its refusals, and a short tournament that comes
// out the same from the same seed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_window.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace {

struct outcome {
    int status;
    std::string out;
    std::string err;
};

outcome arena(const std::string& name, const std::vector<std::string>& args) {
    CProgramRun run(scratch_dir("e2e_bot_arena_" + name));
    run.start(std::string(ZELVORANT_RUN_DIR) + "/bot-arena", false, args);
    const int status = run.wait_exit(120);
    return {status, run.output(), run.errors()};
}

TEST(BotArena, HelpAndBadArgumentsGiveTheUsage) {
    const outcome help = arena("help", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: bot-arena", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    const std::vector<std::vector<std::string>> bad = {{"--bogus"},
                                                       {"--matches"},
                                                       {"--matches", "0"},
                                                       {"--matches", "5x"},
                                                       {"--blue", "gunner"},
                                                       {"--red", "gunner:pro"},
                                                       {"--red", "robot:hard"},
                                                       {"--seed", "-1"},
                                                       {"--blue", "newcomer:easy"},
                                                       {"--red", "idle:"}};
    for (const auto& args : bad) {
        const outcome o = arena("bad", args);
        EXPECT_EQ(o.status, 2) << args[0];
        EXPECT_EQ(o.out, "") << args[0];
        EXPECT_NE(o.err.find("Usage: bot-arena"), std::string::npos) << args[0];
    }
}

TEST(BotArena, TheSameSeedPlaysTheSameTournament) {
    const std::vector<std::string> args = {"--matches", "3",        "--seed", "5",
                                           "--blue",    "newcomer", "--red",  "gunner:easy"};
    const outcome first = arena("first", args);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.rfind("3 matches from seed 5", 0), 0u) << first.out;
    EXPECT_NE(first.out.find("blue newcomer"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("red  gunner easy"), std::string::npos) << first.out;
    EXPECT_EQ(arena("again", args).out, first.out);
}

}  // namespace
