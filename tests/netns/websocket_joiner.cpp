// A desktop host and a joiner whose datagrams travel over a WebSocket, as a browser's game will send
// them, each behind a router of its own, the real server in the "public" namespace between them: the
// real headless players find each other by code, are relayed at once (no probes, which could not reach
// a browser), play 30 seconds of scripted match and end on the same board.
//
//   player0 (UDP) -- preserving router --+-- public (server 203.0.113.1: UDP 24817, WebSocket 24818)
//   player1 (game -> bridge -> TCP) -- symmetric router --+
#include <gtest/gtest.h>

#include "nat_world.h"
#include "needs.h"
#include "online_players.h"
#include "program_run.h"
#include "scratch_folder.h"
#include "websocket_bridge.h"

namespace {

constexpr const char* UDP_PORT = "24817";
constexpr std::uint16_t WEBSOCKET_PORT = 24818;
constexpr const char* PLAY_SECONDS = "30";

}  // namespace

TEST(WebSocketJoiner, ADesktopHostAndAJoinerOverAWebSocketPlayThroughTheRelayToTheSameBoard) {
    NEEDS(namespaces_available(), "root with network namespaces");
    const std::string folder = scratch_dir("websocket_joiner");
    CNatWorld world("wsjoin", nat_kind::PRESERVING, nat_kind::SYMMETRIC, folder);
    ASSERT_TRUE(world.ready()) << world.error();
    const std::string server_address = CNatWorld::SERVER;
    auto server = start_in(folder + "/server", world.public_space(),
                           {SERVER_PROGRAM, "--address", server_address, "--port", UDP_PORT,
                            "--websocket-port", std::to_string(WEBSOCKET_PORT)});
    ASSERT_TRUE(wait_for([&] { return server->errors().find("listening for ws") != std::string::npos; }, 10))
        << server->errors();

    auto host = start_in(folder + "/host", world.at(0).player,
                         {ONLINE_PLAYER, "host", server_address + ":" + UDP_PORT, PLAY_SECONDS});
    std::string code;
    ASSERT_TRUE(wait_for(
        [&] {
            code = items(host->output())["code"];
            return !code.empty() || !host->running();
        },
        10))
        << host->errors();
    ASSERT_FALSE(code.empty()) << host->errors();

    // The joiner's game takes the bridge, on its own machine, for the server.
    websocket_options through_router;
    through_router.from = INADDR_ANY;
    through_router.to = 0xcb007101;  // 203.0.113.1
    std::unique_ptr<CWebSocketBridge> bridge;
    {
        CInNamespace inside(world.at(1).player);
        ASSERT_TRUE(inside.entered());
        bridge = std::make_unique<CWebSocketBridge>(WEBSOCKET_PORT, through_router);
    }
    ASSERT_TRUE(bridge->ready());
    auto joiner = start_in(folder + "/joiner", world.at(1).player,
                           {ONLINE_PLAYER, "join", rdv::to_string(bridge->endpoint()), code, PLAY_SECONDS});
    const int joiner_exit = joiner->wait_exit(120);
    const int host_exit = host->wait_exit(20);
    auto h = items(host->output());
    auto j = items(joiner->output());
    EXPECT_EQ(joiner_exit, 0) << joiner->errors();
    EXPECT_EQ(host_exit, 0) << host->errors();
    EXPECT_EQ(h["path"], "relayed");
    EXPECT_EQ(j["path"], "relayed");
    EXPECT_FALSE(h["hash"].empty());
    EXPECT_EQ(h["hash"], j["hash"]);
    // From the code typed to the match's first step: a few round trips, no three seconds of probes.
    ASSERT_TRUE(j.count("connect_ms"));
    EXPECT_LT(std::stoi(j["connect_ms"]), 2000);
    std::printf("joiner over a WebSocket: connected in %s ms, %d datagrams to the server and %d back\n",
                j["connect_ms"].c_str(), bridge->to_server(), bridge->to_game());
    EXPECT_NE(server->errors().find("relaying"), std::string::npos) << server->errors();
}
