// The rendezvous server against datagrams whose source address is forged, which only a network of its
// own lets a test send: the real program in a "public" namespace, honest players in a home beside it,
// and an attacker whose raw socket writes any source it likes, in a namespace that also holds the
// victim whose address it forges.
//
//   home (198.51.100.2, .3) -- pub (server 203.0.113.1) -- attacker (198.18.0.2; victim 192.0.2.10;
//                                                           forged sources 10.66.0.0/16 routed there)
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "namespaces.h"
#include "needs.h"
#include "net/rendezvous_message.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace {

constexpr const char* SERVER = "203.0.113.1";
constexpr std::uint16_t SERVER_PORT = 24817;
constexpr const char* VICTIM = "192.0.2.10";
constexpr std::uint16_t VICTIM_PORT = 4000;

std::uint32_t address_of(const char* text) {
    in_addr a{};
    inet_pton(AF_INET, text, &a);
    return ntohl(a.s_addr);
}

sockaddr_in socket_address(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

// The next datagram within `milliseconds`, or an empty vector.
std::vector<std::uint8_t> next_datagram(int socket, int milliseconds) {
    pollfd wait{socket, POLLIN, 0};
    std::vector<std::uint8_t> bytes(2048);
    if (poll(&wait, 1, milliseconds) <= 0) {
        return {};
    }
    const ssize_t n = recv(socket, bytes.data(), bytes.size(), 0);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
}

// An honest side: a real socket in a namespace, proving its address as the game does.
class CHonestSide {
  public:
    CHonestSide(const std::string& space, const char* address) : fd_(udp_socket_in(space, address, 0)) {
        sockaddr_in a{};
        socklen_t length = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        at_ = {address_of(address), ntohs(a.sin_port)};
    }
    ~CHonestSide() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    CHonestSide(const CHonestSide&) = delete;
    CHonestSide& operator=(const CHonestSide&) = delete;

    bool ready() const { return fd_ >= 0; }
    rdv::endpoint at() const { return at_; }

    void send_raw(const std::vector<std::uint8_t>& bytes) const {
        const sockaddr_in to = socket_address(address_of(SERVER), SERVER_PORT);
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    // Sends `m` with the cookie it has, waiting for nothing.
    void tell(rdv::message m) const {
        m.proof = cookie_;
        send_raw(rdv::encode(m));
    }
    // Sends `m`, its cookie asked for first when it has none; the first answer that is not a cookie.
    bool ask(rdv::message m, rdv::message& answer) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            m.proof = cookie_;
            send_raw(rdv::encode(m));
            if (!receive(answer)) {
                return false;
            }
            if (answer.kind != rdv::COOKIE) {
                return true;
            }
            cookie_ = answer.proof;
        }
        return false;
    }
    bool receive(rdv::message& m, int milliseconds = 1000) const {
        const std::vector<std::uint8_t> bytes = next_datagram(fd_, milliseconds);
        return !bytes.empty() && rdv::decode(bytes.data(), bytes.size(), m);
    }
    std::vector<std::uint8_t> receive_raw(int milliseconds) const { return next_datagram(fd_, milliseconds); }

  private:
    int fd_;
    rdv::endpoint at_;
    rdv::cookie cookie_{};
};

// Writes UDP datagrams with any source address and port, from a raw socket in its namespace.
class CForger {
  public:
    explicit CForger(const std::string& space) {
        CInNamespace inside(space);
        if (inside.entered()) {
            fd_ = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_RAW);
        }
    }
    ~CForger() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    CForger(const CForger&) = delete;
    CForger& operator=(const CForger&) = delete;

    bool ready() const { return fd_ >= 0; }
    std::size_t bytes_sent() const { return sent_; }

    void send(const rdv::endpoint& from, const std::vector<std::uint8_t>& payload) {
        std::vector<std::uint8_t> packet(sizeof(iphdr) + sizeof(udphdr) + payload.size());
        auto* ip = reinterpret_cast<iphdr*>(packet.data());
        ip->version = 4;
        ip->ihl = 5;
        ip->ttl = 16;
        ip->protocol = IPPROTO_UDP;
        ip->tot_len = htons(static_cast<std::uint16_t>(packet.size()));
        ip->saddr = htonl(from.address);
        ip->daddr = htonl(address_of(SERVER));
        auto* udp = reinterpret_cast<udphdr*>(packet.data() + sizeof(iphdr));
        udp->source = htons(from.port);
        udp->dest = htons(SERVER_PORT);
        udp->len = htons(static_cast<std::uint16_t>(sizeof(udphdr) + payload.size()));
        std::memcpy(packet.data() + sizeof(iphdr) + sizeof(udphdr), payload.data(), payload.size());
        const sockaddr_in to = socket_address(address_of(SERVER), 0);
        if (sendto(fd_, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) >
            0) {
            sent_ += payload.size();
        }
    }

  private:
    int fd_ = -1;
    std::size_t sent_ = 0;
};

rdv::message of_kind(rdv::type kind) {
    rdv::message m;
    m.kind = kind;
    return m;
}

// Every request a forger could send in a source's name, with a cookie that is not the source's.
std::vector<std::vector<std::uint8_t>> forged_requests(const std::string& code, std::uint64_t token) {
    std::vector<std::vector<std::uint8_t>> all;
    for (rdv::type kind : {rdv::REGISTER, rdv::UNREGISTER, rdv::JOIN, rdv::RELAY, rdv::PING}) {
        rdv::message m = of_kind(kind);
        m.code = code;
        m.token = token;
        all.push_back(rdv::encode(m));
        m.proof.fill(0x42);
        all.push_back(rdv::encode(m));
    }
    return all;
}

}  // namespace

TEST(ForgedSources, GainNoPlaceReachNoThirdPartyWithMoreThanTheySentAndTakeNoRelayOver) {
    NEEDS(namespaces_available(), "root with network namespaces");
    CNamespaces spaces("forged");
    const std::string pub = spaces.add("pub");
    const std::string home = spaces.add("home");
    const std::string attacker = spaces.add("atk");
    ASSERT_TRUE(!pub.empty() && !home.empty() && !attacker.empty()) << spaces.error();
    ASSERT_TRUE(spaces.link(pub, "tohome", "198.51.100.1/24", home, "eth0", "198.51.100.2/24") &&
                spaces.link(pub, "toatk", "198.18.0.1/15", attacker, "eth0", "198.18.0.2/15") &&
                spaces.run(home, {"ip", "addr", "add", "198.51.100.3/24", "dev", "eth0"}) &&
                spaces.run(pub, {"ip", "addr", "add", std::string(SERVER) + "/32", "dev", "lo"}) &&
                spaces.run(home, {"ip", "route", "add", "default", "via", "198.51.100.1"}) &&
                spaces.run(attacker, {"ip", "route", "add", "default", "via", "198.18.0.1"}) &&
                spaces.run(attacker, {"ip", "addr", "add", std::string(VICTIM) + "/32", "dev", "lo"}) &&
                spaces.run(pub, {"ip", "route", "add", "192.0.2.0/24", "via", "198.18.0.2"}) &&
                spaces.run(pub, {"ip", "route", "add", "10.0.0.0/8", "via", "198.18.0.2"}) &&
                // The server's network takes any source from any side, as the internet does.
                spaces.run(pub, {"sysctl", "-qw", "net.ipv4.conf.all.rp_filter=0"}) &&
                spaces.run(pub, {"sysctl", "-qw", "net.ipv4.conf.toatk.rp_filter=0"}))
        << spaces.error();

    const std::string folder = scratch_dir("forged_sources");
    CProgramRun server(folder);
    ASSERT_TRUE(start_inside(server, pub,
                             {ZELVORANT_SERVER_PROGRAM, "--address", SERVER, "--port",
                              std::to_string(SERVER_PORT), "--max-hosts", "50"}));
    ASSERT_TRUE(wait_for([&] { return server.errors().find("listening on") != std::string::npos; }, 10))
        << server.errors();

    CForger forger(attacker);
    ASSERT_TRUE(forger.ready());
    const int victim = udp_socket_in(attacker, VICTIM, VICTIM_PORT);
    ASSERT_GE(victim, 0);

    // 20,000 registrations from 1,000 forged addresses: not one place goes to them.
    const std::vector<std::vector<std::uint8_t>> requests = forged_requests("ACDEFG", 1);
    for (int i = 0; i < 20000; ++i) {
        const rdv::endpoint from{0x0a420000u | static_cast<std::uint32_t>(i % 1000), 24816};
        forger.send(from, requests[static_cast<std::size_t>(i % 2)]);
    }
    CHonestSide host(home, "198.51.100.2");
    CHonestSide joiner(home, "198.51.100.3");
    ASSERT_TRUE(host.ready() && joiner.ready());
    rdv::message answer;
    ASSERT_TRUE(host.ask(of_kind(rdv::REGISTER), answer));
    ASSERT_EQ(answer.kind, rdv::REGISTERED);
    const std::string code = answer.code;

    // Every kind of request in the victim's name, without its cookie: the victim gets cookies only, and
    // fewer bytes than the forger sent.
    const std::size_t before = forger.bytes_sent();
    for (int round = 0; round < 100; ++round) {
        for (const auto& bytes : forged_requests(code, 1)) {
            forger.send({address_of(VICTIM), VICTIM_PORT}, bytes);
        }
    }
    const std::size_t forged = forger.bytes_sent() - before;
    std::size_t reached = 0;
    int not_cookies = 0;
    for (std::vector<std::uint8_t> got; !(got = next_datagram(victim, 500)).empty();) {
        reached += got.size();
        rdv::message m;
        not_cookies += !rdv::decode(got.data(), got.size(), m) || m.kind != rdv::COOKIE;
    }
    EXPECT_GT(forged, 0u);
    EXPECT_LE(reached, forged);
    EXPECT_EQ(not_cookies, 0);
    std::printf("forged in the victim's name: %zu bytes; the victim got %zu bytes (ratio %.2f)\n", forged,
                reached, forged == 0 ? 0.0 : static_cast<double>(reached) / static_cast<double>(forged));

    // The honest pair is introduced and relayed.
    rdv::message join = of_kind(rdv::JOIN);
    join.code = code;
    ASSERT_TRUE(joiner.ask(join, answer));
    ASSERT_EQ(answer.kind, rdv::INTRODUCE);
    const std::uint64_t token = answer.token;
    ASSERT_TRUE(host.receive(answer));
    rdv::message relay = of_kind(rdv::RELAY);
    relay.token = token;
    host.tell(relay);
    ASSERT_TRUE(joiner.ask(relay, answer));
    ASSERT_EQ(answer.kind, rdv::RELAYING);
    ASSERT_TRUE(host.receive(answer));

    // In the joiner's name: a join to a code the attacker holds, a relay request with the pair's
    // token, an unregistration. None proves its source, so the pair is neither ended nor taken.
    CHonestSide bait(attacker, "198.18.0.2");
    ASSERT_TRUE(bait.ask(of_kind(rdv::REGISTER), answer));
    ASSERT_EQ(answer.kind, rdv::REGISTERED);
    for (const auto& bytes : forged_requests(answer.code, token)) {
        forger.send(joiner.at(), bytes);
        forger.send(host.at(), bytes);
    }
    // The attacker's own relay request with the pair's token: not a side of it, so not answered.
    EXPECT_FALSE(bait.ask(relay, answer));
    // The pair's own datagrams still go both ways, the joiner's cookies aside.
    const std::vector<std::uint8_t> game(60, 0x42);
    host.send_raw(game);
    joiner.send_raw(game);
    int host_got = 0;
    int joiner_got = 0;
    for (std::vector<std::uint8_t> got; !(got = joiner.receive_raw(300)).empty();) {
        joiner_got += got == game;
    }
    for (std::vector<std::uint8_t> got; !(got = host.receive_raw(300)).empty();) {
        host_got += got == game;
    }
    EXPECT_EQ(joiner_got, 1);
    EXPECT_EQ(host_got, 1);

    close(victim);
    kill(server.pid(), SIGTERM);
    EXPECT_EQ(server.wait_exit(5), 0);
    // Two hosts hold places: the honest one and the attacker's own; none of the 1,000 forged ones.
    EXPECT_NE(server.errors().find("stopped: 2 hosts registered, 1 pairs relayed"), std::string::npos)
        << server.errors();
    EXPECT_EQ(server.errors().find("replaced"), std::string::npos) << server.errors();
}
