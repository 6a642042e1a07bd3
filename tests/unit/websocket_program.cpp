// The real zelvorant-server's WebSocket port under what an open service meets: floods of connections
// finished and not, frames far larger than a datagram, frames before or instead of the handshake, and
// readers that never read. Through all of it an honest relayed pair keeps its datagrams coming and a
// newcomer is served, and the server's memory stays within what its configuration allows.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "loopback_socket.h"
#include "needs.h"
#include "program_run.h"
#include "rendezvous_exchanges.h"
#include "scratch_folder.h"
#include "websocket_side.h"

namespace {

// The port in "<start>PORT: ...", or 0 before that line.
std::uint16_t port_after(const std::string& text, const std::string& start) {
    const std::size_t at = text.find(start);
    return at == std::string::npos ? 0
                                   : static_cast<std::uint16_t>(std::atoi(text.c_str() + at + start.size()));
}

// The program on 127.0.0.1, its UDP and WebSocket ports read from its first lines.
class CServerProgram {
  public:
    CServerProgram(const std::string& name, std::vector<std::string> options) : run_(scratch_dir(name)) {
        std::vector<std::string> args = {"--address", "127.0.0.1", "--port", "0", "--websocket-port", "0"};
        args.insert(args.end(), options.begin(), options.end());
        if (!run_.start(ZELVORANT_SERVER_PROGRAM, false, args))
            return;
        wait_for([&] { return websocket_port() != 0 || !run_.running(); }, 10);
    }
    std::uint16_t port() const { return port_after(run_.errors(), "listening on 127.0.0.1:"); }
    std::uint16_t websocket_port() const {
        const std::string log = run_.errors();
        const std::uint16_t plain = port_after(log, "listening for ws on 127.0.0.1:");
        return plain != 0 ? plain : port_after(log, "listening for wss on 127.0.0.1:");
    }
    // A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
    double status_kb(const std::string& name) {
        std::ifstream in("/proc/" + std::to_string(run_.pid()) + "/status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind(name + ":", 0) == 0)
                return std::atof(line.c_str() + name.size() + 1);
        return 0;
    }
    // Its log once it has stopped on SIGTERM, as it does within a second.
    std::string stopped() {
        kill(run_.pid(), SIGTERM);
        EXPECT_EQ(run_.wait_exit(2), 0);
        return run_.errors();
    }
    std::string log() const { return run_.errors(); }

  private:
    CProgramRun run_;
};

websocket_options from(std::uint32_t address) {
    websocket_options o;
    o.from = address;
    return o;
}

// 127.NETWORK.0.HOST + 1: hosts of one /24 network.
std::uint32_t address(int network, int host) {
    return 0x7f000000u | static_cast<std::uint32_t>(network) << 16 | static_cast<std::uint32_t>(host + 1);
}

}  // namespace

TEST(WebSocketProgram, FloodsBadFramesAndSlowReadersLeaveTheOthersServedWithinItsMemory) {
    // Small enough to fill; relays fast enough that slow readers fall behind in a second.
    CServerProgram server(
        "websocket_program_floods",
        {"--max-websockets", "300", "--websockets-per-address", "4", "--websockets-per-network", "64",
         "--websocket-buffer-bytes", "131072", "--relay-bytes-per-second", "8000000",
         "--relay-datagrams-per-second", "20000", "--relays-per-network", "100", "--websocket-idle-s", "30"});
    const std::uint16_t udp = server.port();
    const std::uint16_t ws = server.websocket_port();
    ASSERT_NE(ws, 0) << server.log();
    const double start_kb = server.status_kb("VmRSS");

    // The honest: a relayed pair of a UDP host and a browser, and a newcomer now and then.
    CRendezvousSide host(address(40, 0));
    CWebSocketSide joiner(udp, ws, from(address(41, 0)));
    ASSERT_TRUE(relayed(host, joiner, udp));
    int newcomers = 0;
    const auto honest_served = [&] {
        bool pair =
            forwarded(host, joiner, udp, GAME_DATAGRAM) && forwarded(joiner, host, udp, GAME_DATAGRAM);
        CWebSocketSide newcomer(udp, ws, from(address(42, ++newcomers)));
        rdv::message answer;
        return pair && newcomer.request(udp, rdv_message(rdv::PING), answer, 1) && answer.kind == rdv::PONG;
    };

    // A flood of connections from one network, half of them never finishing their handshake.
    {
        std::vector<std::unique_ptr<CWebSocketClient>> flood;
        for (int i = 0; i < 500; ++i) {
            flood.push_back(std::make_unique<CWebSocketClient>());
            if (flood.back()->connect_only(ws, from(address(50, i % 250)), 0.2) && i % 2 == 0)
                flood.back()->request_upgrade(ws, from(address(50, i % 250)));
        }
        EXPECT_TRUE(honest_served()) << "during a flood of connections";
    }

    // Frames far beyond a datagram, frames announcing more than exists, frames instead of the handshake,
    // and frames sent with it before its answer.
    {
        std::vector<std::unique_ptr<CWebSocketClient>> bad;
        const std::vector<std::uint8_t> large(1 << 20, 0x42);
        const std::vector<std::uint8_t> ping = rdv::encode(rdv_message(rdv::PING));
        for (int i = 0; i < 40; ++i) {
            bad.push_back(std::make_unique<CWebSocketClient>());
            CWebSocketClient& c = *bad.back();
            const websocket_options o = from(address(51 + i % 4, i));
            switch (i % 4) {
                case 0:
                    if (c.connect(ws, o) == 101)
                        c.send_frame(large);
                    break;
                case 1:
                    if (c.connect(ws, o) == 101) {
                        const std::uint8_t huge[] = {0x82, 0xff, 0x3f, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                                     0xff, 0,    0,    0,    0,    1,    2,    3,    4};
                        c.send_raw(huge, sizeof huge);
                    }
                    break;
                case 2:
                    if (c.connect_only(ws, o))
                        c.send_frame(ping);
                    break;
                case 3:
                    if (c.connect_only(ws, o) && c.request_upgrade(ws, o))
                        c.send_frame(ping);
                    break;
            }
        }
        EXPECT_TRUE(honest_served()) << "beside bad frames";
        int status = 0;
        EXPECT_TRUE(bad[0]->closed(2, &status));
        EXPECT_EQ(status, 1009);
        EXPECT_TRUE(bad[2]->closed(2));
        // A request and a frame sent together: the frame is read once the connection is upgraded.
        EXPECT_EQ(bad[3]->upgrade_status(), 101);
        std::vector<std::uint8_t> answer;
        EXPECT_TRUE(bad[3]->receive(answer));
    }

    // Readers that never read, each relayed with a UDP host sending as fast as the relay lets it.
    {
        std::vector<std::unique_ptr<CRendezvousSide>> senders;
        std::vector<std::unique_ptr<CWebSocketSide>> sleepers;
        for (int i = 0; i < 16; ++i) {
            websocket_options o = from(address(60, i));
            o.receive_buffer = 4096;
            senders.push_back(std::make_unique<CRendezvousSide>(address(61, i)));
            sleepers.push_back(std::make_unique<CWebSocketSide>(udp, ws, o));
            ASSERT_TRUE(relayed(*senders.back(), *sleepers.back(), udp)) << i;
        }
        const std::vector<std::uint8_t> datagram(1400, 0x42);
        std::thread blast([&] {
            for (int round = 0; round < 400; ++round) {
                for (const auto& s : senders)
                    s->send_raw(udp, datagram);
                if (round % 20 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(honest_served()) << "beside slow readers";
        blast.join();
        EXPECT_TRUE(honest_served()) << "after slow readers";
    }

    // What the server holds: its tables at start, and at most the queues' budget, a few kilobytes a
    // connection and the handshakes being read besides.
    const double peak_kb = server.status_kb("VmHWM");
    const double budget_kb = 131072 / 1024 + 300 * 8 + 256 * 5 + 2048;
    EXPECT_LT(peak_kb - start_kb, budget_kb) << "peak " << peak_kb << " kB, " << start_kb << " kB at start";

    const std::string log = server.stopped();
    const std::string dropped = "datagrams for slow readers";
    const std::size_t at = log.rfind(dropped);
    ASSERT_NE(at, std::string::npos) << log;
    const std::size_t number = log.rfind("dropped ", at);
    EXPECT_GT(std::atol(log.c_str() + number + 8), 0) << log.substr(number, 80);
    EXPECT_NE(log.find("refused ws 127.50."), std::string::npos);
}

namespace {

// A self-signed certificate and its key, made for the test, in `folder`; false when openssl failed.
bool make_certificate(const std::string& folder, const std::string& name) {
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
        "-subj /CN=" +
        name + " -keyout '" + folder + "/key.pem' -out '" + folder + "/cert.pem' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// Whether a browser on `options` gets through: upgraded, registered, and seen at `seen`.
void expect_registered(std::uint16_t udp, std::uint16_t port, const websocket_options& options,
                       std::uint32_t seen) {
    CWebSocketSide side(udp, port, options);
    ASSERT_EQ(side.status(), 101);
    rdv::message answer;
    ASSERT_TRUE(side.request(udp, rdv_message(rdv::REGISTER), answer));
    EXPECT_EQ(answer.kind, rdv::REGISTERED);
    EXPECT_EQ(answer.seen.address, seen);
}

}  // namespace

TEST(WebSocketProgram, TerminatesTlsItselfWithTheCertificateAndKeyItIsGiven) {
    const std::string folder = scratch_dir("websocket_program_tls");
    ASSERT_TRUE(make_certificate(folder, "127.0.0.1"));
    CServerProgram server("websocket_program_tls_run", {"--websocket-certificate", folder + "/cert.pem",
                                                        "--websocket-private-key", folder + "/key.pem"});
    ASSERT_NE(server.websocket_port(), 0) << server.log();
    EXPECT_NE(server.log().find("listening for wss on"), std::string::npos);
    websocket_options tls;
    tls.tls = true;
    expect_registered(server.port(), server.websocket_port(), tls, 0x7f000001);
    // Plain WebSocket on a TLS port is not understood.
    CWebSocketClient plain;
    EXPECT_NE(plain.connect(server.websocket_port(), websocket_options(), 1), 101);

    // A key that is not the certificate's stops the server at once, saying which.
    const std::string other = scratch_dir("websocket_program_tls_other");
    ASSERT_TRUE(make_certificate(other, "other"));
    CProgramRun wrong(scratch_dir("websocket_program_tls_wrong"));
    ASSERT_TRUE(wrong.start(
        ZELVORANT_SERVER_PROGRAM, false,
        {"--address", "127.0.0.1", "--port", "0", "--websocket-port", "0", "--websocket-certificate",
         folder + "/cert.pem", "--websocket-private-key", other + "/key.pem"}));
    EXPECT_EQ(wrong.wait_exit(10), 1);
    EXPECT_NE(wrong.errors().find(other + "/key.pem: not the private key of " + folder + "/cert.pem"),
              std::string::npos)
        << wrong.errors();
}

TEST(WebSocketProgram, BehindNginxConfiguredAsTheReadmeSaysBrowsersConnectOverTls) {
    NEEDS(std::system("nginx -v 2>/dev/null") == 0, "nginx");
    const std::string conf = read_text(ZELVORANT_SOURCE_DIR "/dist/nginx-websocket.conf");
    ASSERT_FALSE(conf.empty());
    // The README shows the very configuration this test runs, and the manual page its location block.
    EXPECT_NE(read_text(ZELVORANT_SOURCE_DIR "/README.md").find(conf), std::string::npos);
    const std::string manual = read_text(ZELVORANT_SOURCE_DIR "/dist/zelvorant-server.8.in");
    const std::size_t location = conf.find("    location");
    std::istringstream block(conf.substr(location, conf.find("    }\n", location) - location));
    for (std::string line; std::getline(block, line);) {
        if (line.find('#') != std::string::npos)
            continue;
        std::string troff;
        for (char c : line.substr(line.find_first_not_of(' ')))
            troff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(troff), std::string::npos) << troff;
    }

    // nginx's own folder where its workers, run as nobody under root, may go.
    char made[] = "/tmp/zelvorant-nginx.XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string folder = made;
    struct removed_at_end {
        std::string path;
        ~removed_at_end() { std::filesystem::remove_all(path); }
    } removed{folder};
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
    ASSERT_TRUE(make_certificate(folder, "play.example.org"));
    CServerProgram server("websocket_program_nginx", {"--websocket-proxy", "127.0.0.1", "--websocket-origins",
                                                      "https://play.example.org"});
    ASSERT_NE(server.websocket_port(), 0) << server.log();

    // The documented block, on a free port of this machine, with the test's certificate and server.
    CLoopbackSocket probe;  // a TCP port is free where a UDP one is, as good as any guess
    const std::uint16_t port = probe.port();
    std::string site = conf;
    const std::pair<std::string, std::string> changes[] = {
        {"listen 443 ssl;", "listen 127.0.0.1:" + std::to_string(port) + " ssl;"},
        {"/etc/letsencrypt/live/play.example.org/fullchain.pem", folder + "/cert.pem"},
        {"/etc/letsencrypt/live/play.example.org/privkey.pem", folder + "/key.pem"},
        {"127.0.0.1:24818", "127.0.0.1:" + std::to_string(server.websocket_port())},
    };
    for (const auto& [from_text, to_text] : changes) {
        const std::size_t at = site.find(from_text);
        ASSERT_NE(at, std::string::npos) << from_text;
        site.replace(at, from_text.size(), to_text);
    }
    write_text(folder + "/site.conf", site);
    std::string main_conf = "pid " + folder + "/nginx.pid;\nerror_log " + folder +
                            "/error.log;\nevents { worker_connections 64; }\nhttp {\n  access_log off;\n";
    for (const char* temporary : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        main_conf += std::string("  ") + temporary + "_temp_path " + folder + "/" + temporary + ";\n";
    main_conf += "  include " + folder + "/site.conf;\n}\n";
    write_text(folder + "/nginx.conf", main_conf);
    {
        CProgramRun nginx(folder);
        ASSERT_TRUE(nginx.start("/usr/sbin/nginx", false,
                                {"-p", folder, "-c", folder + "/nginx.conf", "-g", "daemon off;"}));
        websocket_options browser;
        browser.tls = true;
        browser.from = 0x7f000002;
        browser.path = "/zelvorant";
        browser.origin = "https://play.example.org";
        CWebSocketClient client;
        ASSERT_TRUE(wait_for([&] { return client.connect_only(port, browser, 0.2); }, 10));
        // Seen at its own address, which nginx names, not at nginx's.
        expect_registered(server.port(), port, browser, 0x7f000002);

        CRendezvousSide host(0x7f000003);
        CWebSocketSide joiner(server.port(), port, browser);
        ASSERT_TRUE(relayed(host, joiner, server.port()));
        EXPECT_TRUE(forwarded(host, joiner, server.port(), GAME_DATAGRAM));
        EXPECT_TRUE(forwarded(joiner, host, server.port(), GAME_DATAGRAM));

        browser.origin = "https://elsewhere.example";
        CWebSocketClient stranger;
        EXPECT_EQ(stranger.connect(port, browser), 403);
        kill(nginx.pid(), SIGTERM);
        EXPECT_EQ(nginx.wait_exit(5), 0) << read_text(folder + "/error.log");
    }
}

TEST(WebSocketProgram, HoldsNoMoreConnectionsThanItMayOpenFilesAndSaysSo) {
    CProgramRun run(scratch_dir("websocket_program_files"));
    ASSERT_TRUE(run.start("/usr/bin/prlimit", false,
                          {"--nofile=500", ZELVORANT_SERVER_PROGRAM, "--address", "127.0.0.1", "--port", "0",
                           "--websocket-port", "0"}));
    ASSERT_TRUE(wait_for([&] { return run.errors().find("raise its limit") != std::string::npos; }, 10))
        << run.errors();
    EXPECT_NE(run.errors().find("at most 436 connections"), std::string::npos) << run.errors();
    kill(run.pid(), SIGTERM);
    EXPECT_EQ(run.wait_exit(2), 0);

    CProgramRun starved(scratch_dir("websocket_program_starved"));
    ASSERT_TRUE(starved.start("/usr/bin/prlimit", false,
                              {"--nofile=100", ZELVORANT_SERVER_PROGRAM, "--address", "127.0.0.1", "--port", "0",
                               "--websocket-port", "0"}));
    EXPECT_EQ(starved.wait_exit(5), 1);
    EXPECT_NE(starved.errors().find("too few files allowed to this process (100)"), std::string::npos);
}
