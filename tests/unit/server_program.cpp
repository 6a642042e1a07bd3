// The zelvorant-server program as an operator meets it: its options, a bad configuration, and a
// run that serves a registration and stops cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>

#include "program_run.h"
#include "rendezvous_side.h"
#include "scratch_folder.h"

namespace {

// The port in "listening on 127.0.0.1:PORT: ...", or 0 before that line.
std::uint16_t listening_port(const std::string& errors) {
    const std::string start = "listening on 127.0.0.1:";
    const std::size_t at = errors.find(start);
    return at == std::string::npos
               ? 0
               : static_cast<std::uint16_t>(std::atoi(errors.c_str() + at + start.size()));
}

}  // namespace

TEST(ServerProgram, HelpVersionAndABadConfigurationLine) {
    const std::string folder = scratch_dir("server_program_options");
    {
        CProgramRun run(folder);
        ASSERT_TRUE(run.start(ZELVORANT_SERVER_PROGRAM, false, {"--help"}));
        EXPECT_EQ(run.wait_exit(), 0);
        EXPECT_NE(run.output().find("--config FILE"), std::string::npos);
        EXPECT_NE(run.output().find("max_hosts"), std::string::npos);
    }
    {
        CProgramRun run(folder);
        ASSERT_TRUE(run.start(ZELVORANT_SERVER_PROGRAM, false, {"--version"}));
        EXPECT_EQ(run.wait_exit(), 0);
        EXPECT_EQ(run.output(), std::string("zelvorant-server ") + ZELVORANT_VERSION + "\n");
    }
    std::ofstream(folder + "/bad.conf") << "port = 24817\nrelay_bytes_per_second = lots\n";
    CProgramRun run(folder);
    ASSERT_TRUE(run.start(ZELVORANT_SERVER_PROGRAM, false, {"--config", folder + "/bad.conf"}));
    EXPECT_EQ(run.wait_exit(), 2);
    EXPECT_NE(run.errors().find("bad.conf:2: relay_bytes_per_second: not a number"), std::string::npos)
        << run.errors();
}

TEST(ServerProgram, ServesUntilSigterm) {
    const std::string folder = scratch_dir("server_program_run");
    CProgramRun run(folder);
    ASSERT_TRUE(run.start(ZELVORANT_SERVER_PROGRAM, false, {"--address", "127.0.0.1", "--port", "0"}));
    ASSERT_TRUE(wait_for([&] { return listening_port(run.errors()) != 0; }, 10)) << run.errors();

    CRendezvousSide host;
    host.send(listening_port(run.errors()), rdv_message(rdv::REGISTER));
    rdv::message answer;
    ASSERT_TRUE(host.receive(answer));
    EXPECT_EQ(answer.kind, rdv::REGISTERED);

    kill(run.pid(), SIGTERM);
    EXPECT_EQ(run.wait_exit(10), 0);
    EXPECT_NE(run.errors().find("registered 127.0.0.1:" + std::to_string(host.endpoint().port) + ": code " +
                                answer.code),
              std::string::npos)
        << run.errors();
    EXPECT_NE(run.errors().find("stopped: 1 hosts registered"), std::string::npos) << run.errors();
    // Nothing written beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);  // stdout.txt, stderr.txt
}
