// The zelvorant-server program as an operator meets it: its options, a bad configuration, a run that
// serves a registration and stops cleanly on SIGTERM with honest counts, and a log read so slowly
// that it cannot keep up with a flood, which must stop neither the relay nor the stop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "program_run.h"
#include "rendezvous_exchanges.h"
#include "scratch_folder.h"

extern char** environ;

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

TEST(ServerProgram, ServesUntilSigtermAndCountsOnlyTheHostsThatHoldACode) {
    const std::string folder = scratch_dir("server_program_run");
    CProgramRun run(folder);
    ASSERT_TRUE(run.start(ZELVORANT_SERVER_PROGRAM, false, {"--address", "127.0.0.1", "--port", "0"}));
    ASSERT_TRUE(wait_for([&] { return listening_port(run.errors()) != 0; }, 10)) << run.errors();

    const std::uint16_t server = listening_port(run.errors());
    CRendezvousSide host;
    CRendezvousSide left;
    CRendezvousSide joiner;
    host.send(server, rdv_message(rdv::REGISTER));
    rdv::message answer;
    ASSERT_TRUE(host.receive(answer));
    EXPECT_EQ(answer.kind, rdv::REGISTERED);
    // A host that gave its code up while a joiner's introduction to it may still be relayed is no host
    // any more: not in the count of the next registration's line, nor in the last line.
    ASSERT_NE(introduced(left, joiner, server), 0u);
    left.send(server, rdv_message(rdv::UNREGISTER));
    CRendezvousSide next;
    const std::string next_code = registered(next, server);
    ASSERT_FALSE(next_code.empty());

    kill(run.pid(), SIGTERM);
    EXPECT_EQ(run.wait_exit(10), 0);
    EXPECT_NE(run.errors().find("registered 127.0.0.1:" + std::to_string(host.endpoint().port) + ": code " +
                                answer.code),
              std::string::npos)
        << run.errors();
    EXPECT_NE(run.errors().find("registered 127.0.0.1:" + std::to_string(next.endpoint().port) + ": code " +
                                next_code + " (2 hosts)"),
              std::string::npos)
        << run.errors();
    EXPECT_NE(run.errors().find("stopped: 2 hosts registered"), std::string::npos) << run.errors();
    // Nothing written beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);  // stdout.txt, stderr.txt
}

namespace {

// The server with its standard error on a pipe that a thread of the test reads at `bytes_per_second`,
// as a slow terminal or a stalled log collector would.
class CSlowlyReadServer {
  public:
    explicit CSlowlyReadServer(int bytes_per_second) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        // The pipe's buffer as small as the system allows: the reader's pace shows at once.
        fcntl(fds[0], F_SETPIPE_SZ, 4096);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const char* args[] = {ZELVORANT_SERVER_PROGRAM, "--address", "127.0.0.1", "--port", "0", nullptr};
        if (posix_spawn(&pid_, args[0], &actions, nullptr, const_cast<char* const*>(args), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        read_fd_ = fds[0];
        reader_ = std::thread([this, bytes_per_second] {
            char buffer[256];
            // A quarter of a second's worth at a time.
            const std::size_t chunk = std::min<std::size_t>(sizeof buffer, bytes_per_second / 4);
            for (;;) {
                const ssize_t n = read(read_fd_, buffer, chunk);
                if (n <= 0)
                    return;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    text_.append(buffer, static_cast<std::size_t>(n));
                }
                if (!fast_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(250));
            }
        });
    }
    ~CSlowlyReadServer() {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable())
            reader_.join();
        if (read_fd_ >= 0)
            close(read_fd_);
    }
    pid_t pid() const { return pid_; }
    std::string text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }
    // From now on the reader takes what there is at once.
    void read_fast() { fast_ = true; }
    // The exit status within `seconds` of now, or -1 when it has not exited by then.
    int exit_within(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    int read_fd_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string text_;
    std::atomic<bool> fast_{false};
};

}  // namespace

TEST(ServerProgram, AJoinFloodWithALogReadAt2KBASecondStopsNeitherTheRelayNorSigterm) {
    CSlowlyReadServer server(2048);
    ASSERT_GT(server.pid(), 0);
    ASSERT_TRUE(wait_for([&] { return listening_port(server.text()) != 0; }, 10)) << server.text();
    const std::uint16_t port = listening_port(server.text());
    CRendezvousSide host;
    CRendezvousSide joiner;
    ASSERT_TRUE(relayed(host, joiner, port));

    // 200 addresses, each proven, each sending 20 joins with codes nobody holds: 4,000 refusals that
    // would each be a line, on top of the joins' own rate limit's.
    std::vector<std::unique_ptr<CRendezvousSide>> flood;
    for (int i = 0; i < 200; ++i) {
        flood.push_back(std::make_unique<CRendezvousSide>(0x7f0a0000u | static_cast<std::uint32_t>(i + 1)));
        flood.back()->send(port, rdv_message(rdv::PING));
    }
    for (const auto& side : flood)
        side->count_arrivals(0.001);
    const auto started = std::chrono::steady_clock::now();
    std::thread flooding([&] {
        for (int round = 0; round < 20; ++round)
            for (const auto& side : flood)
                side->send(port, join("ACDEFG"));
    });
    // Meanwhile the pair's datagrams go through, each within a fraction of a second.
    int through = 0;
    for (int i = 0; i < 20; ++i) {
        through += forwarded(host, joiner, port, GAME_DATAGRAM);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    flooding.join();
    EXPECT_GE(through, 19);

    // The log, read at 2 KB/s, is behind; SIGTERM ends the server within a second all the same.
    kill(server.pid(), SIGTERM);
    const auto signalled = std::chrono::steady_clock::now();
    EXPECT_EQ(server.exit_within(1.0), 0);
    const double seconds = std::chrono::duration<double>(signalled - started).count();
    server.read_fast();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string log = server.text();
    std::size_t lines = 0;
    for (char c : log)
        lines += c == '\n';
    // At most the lines of a topic a second (10) of each topic, their summaries and the server's own
    // lines: far below a line a datagram.
    EXPECT_LT(static_cast<double>(lines), 60 + 40 * seconds) << log;
    EXPECT_NE(log.find("more refusals in the last second"), std::string::npos) << log;
}
