// Two links find each other through the real rendezvous server on 127.0.0.1, from the ports their
// connection then uses: the rendezvous datagrams go beside the transport's on one socket, and the
// relayed connection carries the game's messages through the server, also when one side's datagrams
// travel over a WebSocket as a browser's do.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/link.h"
#include "net/rendezvous_client.h"
#include "server/rendezvous.h"
#include "server/server_loop.h"
#include "websocket_bridge.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The server in a thread of its own, stopped and joined whatever the test does.
class running_server {
  public:
    running_server() {
        config_.address = 0x7f000001;
        config_.port = 0;
        config_.websocket = true;
        opened_ = loop_.open(config_, error_);
        if (opened_)
            thread_ = std::thread([this] { loop_.run(rendezvous_); });
    }
    ~running_server() {
        loop_.stop();
        if (thread_.joinable())
            thread_.join();
    }
    bool opened() const { return opened_; }
    const std::string& error() const { return error_; }
    rdv::endpoint at() const { return loop_.local(); }
    std::uint16_t websocket_port() const { return loop_.websocket_local().port; }

  private:
    server_config config_;
    CServerLoop loop_;
    CRendezvous rendezvous_{config_, nullptr};
    std::string error_;
    bool opened_ = false;
    std::thread thread_;
};

struct outcome {
    std::string code;
    std::string host_path, joiner_path;
    rdv::endpoint joiner_peer;
    std::string received;  // what the host got from the joiner over the connection
    std::uint32_t round_trip_ms = 0;
    double join_to_connect = -1;  // seconds from the code typed to the joiner's connection
};

// `probes_get_through`: false drops every datagram between the sides that is not for the server, as
// two routers that let nothing in would. `joiner_server`: where the joiner reaches the server.
outcome meet_and_connect(const rdv::endpoint& server, const rdv::endpoint& joiner_server,
                         bool probes_get_through) {
    outcome out;
    CNetLink host_link, joiner_link;
    std::string error;
    EXPECT_TRUE(host_link.listen(0, 4, error, "127.0.0.1")) << error;
    EXPECT_TRUE(joiner_link.open(0, error)) << error;
    const auto sender = [probes_get_through](CNetLink& link, const rdv::endpoint& its_server) {
        return [&link, its_server, probes_get_through](const rdv::endpoint& to,
                                                       const std::vector<std::uint8_t>& d) {
            if (probes_get_through || to == its_server)
                link.send_datagram(to, d);
        };
    };
    CRendezvousClient host(server, {}, sender(host_link, server));
    CRendezvousClient joiner(joiner_server, {}, sender(joiner_link, joiner_server));
    host_link.on_rendezvous([&host](const rdv::endpoint& from, const std::uint8_t* data, std::size_t size) {
        host.received(from, data, size, seconds_now());
    });
    joiner_link.on_rendezvous(
        [&joiner](const rdv::endpoint& from, const std::uint8_t* data, std::size_t size) {
            joiner.received(from, data, size, seconds_now());
        });
    host.host({}, seconds_now());

    int host_peer = -1, joiner_peer = -1;
    bool joined = false, connecting = false;
    double joined_at = 0;
    const double give_up = seconds_now() + 15;
    while (seconds_now() < give_up && out.received.empty()) {
        const double now = seconds_now();
        host.poll(now);
        joiner.poll(now);
        if (!joined && host.state() == CRendezvousClient::WAITING) {
            EXPECT_TRUE(joiner.join(host.code(), now));
            out.code = host.code();
            joined = true;
            joined_at = now;
        }
        if (!connecting && joiner.state() == CRendezvousClient::READY) {
            connecting = true;
            const std::string to = rdv::to_string(joiner.peer());
            EXPECT_TRUE(joiner_link.connect(to.substr(0, to.rfind(':')), joiner.peer().port, error)) << error;
        }
        if (joiner.state() == CRendezvousClient::FAILED)
            break;
        const CNetLink::event h = host_link.service(1);
        if (h.kind == CNetLink::CONNECTED) {
            host_peer = h.peer;
            rdv::endpoint from;
            EXPECT_TRUE(rdv::parse_endpoint(host_link.peer_address(h.peer), from));
            host.connected(from);
        }
        if (h.kind == CNetLink::RECEIVED)
            out.received.assign(h.data.begin(), h.data.end());
        const CNetLink::event j = joiner_link.service(1);
        if (j.kind == CNetLink::CONNECTED) {
            joiner_peer = j.peer;
            out.join_to_connect = seconds_now() - joined_at;
            for (int i = 0; i < 20; ++i)  // a few round trips for the transport to measure
                joiner_link.send(joiner_peer, {'h', 'i'});
        }
    }
    out.host_path = host.path();
    out.joiner_path = joiner.path();
    out.joiner_peer = joiner.peer();
    out.round_trip_ms = host_peer >= 0 ? host_link.round_trip_ms(host_peer) : 0;
    EXPECT_GE(joiner_peer, 0) << joiner.error();
    return out;
}

outcome meet_and_connect(const rdv::endpoint& server, bool probes_get_through) {
    return meet_and_connect(server, server, probes_get_through);
}

// What a third player who types the code is told, or "" when it is introduced.
std::string third_player_told(const rdv::endpoint& server, const std::string& code) {
    CNetLink link;
    std::string error;
    EXPECT_TRUE(link.open(0, error)) << error;
    CRendezvousClient client(
        server, {},
        [&link](const rdv::endpoint& to, const std::vector<std::uint8_t>& d) { link.send_datagram(to, d); });
    link.on_rendezvous([&client](const rdv::endpoint& from, const std::uint8_t* data, std::size_t size) {
        client.received(from, data, size, seconds_now());
    });
    EXPECT_TRUE(client.join(code, seconds_now()));
    const double give_up = seconds_now() + 3;
    while (seconds_now() < give_up && client.state() == CRendezvousClient::JOINING) {
        client.poll(seconds_now());
        link.service(5);
    }
    return client.error();
}

}  // namespace

TEST(RendezvousLoopback, TheSidesMeetAndConnectFromTheirOwnPorts) {
    running_server server;
    ASSERT_TRUE(server.opened()) << server.error();
    const outcome o = meet_and_connect(server.at(), true);
    EXPECT_EQ(o.received, "hi");
    // Neither side is behind a router here, yet neither announced a local address: the host's public one
    // answered, which is what a router's punched hole looks like.
    EXPECT_EQ(o.joiner_path, "punched");
    EXPECT_EQ(o.host_path, "punched");
    EXPECT_NE(o.joiner_peer, server.at());
    EXPECT_GT(o.round_trip_ms, 0u);
    EXPECT_LT(o.round_trip_ms, 500u);
    // A host that plays has given its code up.
    EXPECT_EQ(third_player_told(server.at(), o.code), "No such code: ask the host for it again");
}

TEST(RendezvousLoopback, WithNoProbeThroughTheConnectionGoesThroughTheServer) {
    running_server server;
    ASSERT_TRUE(server.opened()) << server.error();
    const outcome o = meet_and_connect(server.at(), false);
    EXPECT_EQ(o.joiner_path, "relayed");
    EXPECT_EQ(o.host_path, "relayed");
    EXPECT_EQ(o.joiner_peer, server.at());
    EXPECT_EQ(o.received, "hi");
}

TEST(RendezvousLoopback, AJoinerWhoseDatagramsGoOverAWebSocketIsRelayedAtOnce) {
    running_server server;
    ASSERT_TRUE(server.opened()) << server.error();
    CWebSocketBridge bridge(server.websocket_port(), websocket_options());
    ASSERT_TRUE(bridge.ready());
    const outcome o = meet_and_connect(server.at(), bridge.endpoint(), true);
    EXPECT_EQ(o.received, "hi");
    EXPECT_EQ(o.joiner_path, "relayed");
    EXPECT_EQ(o.host_path, "relayed");
    EXPECT_EQ(o.joiner_peer, bridge.endpoint());
    EXPECT_GT(o.round_trip_ms, 0u);
    // No seconds of probes first: the introduction said the joiner is reached through the server only.
    EXPECT_GE(o.join_to_connect, 0);
    EXPECT_LT(o.join_to_connect, 1.5);
    EXPECT_GT(bridge.to_game(), 0);
}
