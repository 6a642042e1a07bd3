// A host and a joiner find each other through the real rendezvous server's logic, across routers
// modelled in the test: which path each side reports, and what it says when the way is not found.
#include "net/rendezvous_client.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "server/rendezvous.h"

namespace {

rdv::endpoint ep(const char* text) {
    rdv::endpoint e;
    EXPECT_TRUE(rdv::parse_endpoint(text, e)) << text;
    return e;
}

const rdv::endpoint SERVER = ep("198.51.100.1:24817");

// How a side's router treats its datagrams. PRESERVING keeps the port and lets in only the addresses
// sent to; SYMMETRIC takes a new port for each destination and lets in only that destination.
enum router { NO_ROUTER, PRESERVING, SYMMETRIC };

struct side {
    rdv::endpoint local;
    std::uint32_t public_address = 0;
    router kind = NO_ROUTER;
    bool port_mapped = false;  // the router forwards its public game port to anyone
    std::map<std::pair<std::uint32_t, std::uint16_t>, rdv::endpoint> mappings;  // by destination
    std::set<std::pair<std::uint64_t, std::uint64_t>> opened;                   // (public, destination)
    std::unique_ptr<CRendezvousClient> client;

    rdv::endpoint mapped() const {
        return port_mapped ? rdv::endpoint{public_address, local.port} : rdv::endpoint{};
    }
};

std::uint64_t key(const rdv::endpoint& e) {
    return static_cast<std::uint64_t>(e.address) << 16 | e.port;
}

struct datagram {
    rdv::endpoint from, to;
    std::vector<std::uint8_t> bytes;
    bool websocket = false;  // between the server and a joiner on a WebSocket
};

// Two sides, the server, and what is on the way between them.
class world : public CDatagramSink {
  public:
    world(router host_router, router joiner_router, bool same_network = false)
        : server_(server_config{}, nullptr), same_network_(same_network) {
        set_up(host_, host_router, "192.168.1.2:24816", "203.0.113.10:0");
        set_up(joiner_, joiner_router, same_network ? "192.168.1.3:40000" : "10.0.0.2:40000",
               same_network ? "203.0.113.10:0" : "192.0.2.20:0");
    }

    side& host() { return host_; }
    side& joiner() { return joiner_; }
    double now() const { return now_; }

    // Runs until the joiner is done or `seconds` have passed.
    void run(double seconds) {
        const double end = now_ + seconds;
        while (now_ < end && !done()) {
            now_ += 0.01;
            server_.expire(static_cast<std::int64_t>(now_ * 1000));
            host_.client->poll(now_);
            joiner_.client->poll(now_);
            deliver();
        }
    }

    // The program stood still for `seconds`: nothing polled, what arrives waits in its socket.
    void stall(double seconds) { now_ += seconds; }

    // The joiner's first datagram of the match to where it was told: the address the host sees it from,
    // or 0:0 when the host's router stops it.
    rdv::endpoint match_datagram_arrives_from() {
        const rdv::endpoint to = joiner_.client->peer();
        if (to == SERVER)
            return SERVER;
        const rdv::endpoint from = outward(joiner_, to);
        return lets_in(host_, to, from) ? from : rdv::endpoint{};
    }

    void send(const peer& to, const std::uint8_t* data, std::size_t size) override {
        queue_.push_back(
            {SERVER, to.at, std::vector<std::uint8_t>(data, data + size), to.via == transport::WEBSOCKET});
    }

    bool drop_probes = false;
    // The joiner is a browser: it reaches the server alone, over a connection of its own.
    bool joiner_on_websocket = false;
    int probes_sent = 0;

  private:
    void set_up(side& s, router kind, const char* local, const char* outside) {
        s.local = ep(local);
        s.public_address = kind == NO_ROUTER ? s.local.address : ep(outside).address;
        s.kind = kind;
        side* self = &s;
        s.client = std::make_unique<CRendezvousClient>(
            SERVER, std::vector<rdv::endpoint>{s.local},
            [this, self](const rdv::endpoint& to, const std::vector<std::uint8_t>& bytes) {
                probes_sent += to != SERVER;
                const bool websocket = self == &joiner_ && joiner_on_websocket;
                if ((drop_probes || websocket) && to != SERVER)
                    return;
                queue_.push_back({outward(*self, to), to, bytes, websocket});
            });
    }

    // The joiner knows where to connect, or that it cannot.
    bool done() const {
        const CRendezvousClient::phase p = joiner_.client->state();
        return p == CRendezvousClient::READY || p == CRendezvousClient::FAILED;
    }

    bool on_same_network(const rdv::endpoint& to) const {
        return same_network_ && (to == host_.local || to == joiner_.local);
    }

    // The source address a datagram from `s` to `to` carries once past its router.
    rdv::endpoint outward(side& s, const rdv::endpoint& to) {
        if (s.kind == NO_ROUTER || on_same_network(to))
            return s.local;
        rdv::endpoint out{s.public_address, s.local.port};
        if (s.kind == SYMMETRIC) {
            auto found = s.mappings.find({to.address, to.port});
            if (found == s.mappings.end())
                found = s.mappings
                            .emplace(std::make_pair(to.address, to.port),
                                     rdv::endpoint{s.public_address,
                                                   static_cast<std::uint16_t>(50000 + s.mappings.size())})
                            .first;
            out = found->second;
        }
        s.opened.insert({key(out), key(to)});
        return out;
    }

    bool lets_in(const side& s, const rdv::endpoint& to, const rdv::endpoint& from) const {
        if (s.kind == NO_ROUTER || on_same_network(to))
            return to == s.local;
        if (to.address != s.public_address)
            return false;
        return (s.port_mapped && to == s.mapped()) || s.opened.count({key(to), key(from)}) > 0;
    }

    void deliver() {
        for (int i = 0; i < 1000 && !queue_.empty(); ++i) {
            datagram d = std::move(queue_.front());
            queue_.pop_front();
            if (d.to == SERVER) {
                server_.receive(d.bytes.data(), d.bytes.size(),
                                d.websocket ? websocket_peer(d.from, 1) : udp_peer(d.from),
                                static_cast<std::int64_t>(now_ * 1000), *this);
                continue;
            }
            if (d.websocket) {
                joiner_.client->received(SERVER, d.bytes.data(), d.bytes.size(), now_);
                continue;
            }
            for (side* s : {&host_, &joiner_})
                if (lets_in(*s, d.to, d.from))
                    s->client->received(d.from, d.bytes.data(), d.bytes.size(), now_);
        }
    }

    CRendezvous server_;
    bool same_network_;
    side host_, joiner_;
    std::deque<datagram> queue_;
    double now_ = 0;
};

// Host registers and is introduced to a joiner with its code; runs until both know their way.
void meet(world& w) {
    w.host().client->host(w.host().mapped(), w.now());
    w.run(1);
    ASSERT_EQ(w.host().client->state(), CRendezvousClient::WAITING);
    const std::string code = w.host().client->code();
    ASSERT_EQ(code.size(), rdv::CODE_LENGTH);
    // Typed as a person would.
    std::string typed = code.substr(0, 3) + "-" + code.substr(3);
    for (char& c : typed)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(w.joiner().client->join(typed, w.now()));
    w.run(10);
}

struct ladder_case {
    const char* name;
    router host;
    bool host_mapped;
    router joiner;
    bool same_network;
    const char* path;
    double within;  // seconds from the join
};

class Ladder : public ::testing::TestWithParam<ladder_case> {};

}  // namespace

TEST_P(Ladder, BothSidesFindTheBestPathAndAgreeOnIt) {
    const ladder_case c = GetParam();
    world w(c.host, c.joiner, c.same_network);
    w.host().port_mapped = c.host_mapped;
    const double before = w.now() + 1;  // meet() lets the host register for a second first
    meet(w);
    CRendezvousClient& joiner = *w.joiner().client;
    ASSERT_EQ(joiner.state(), CRendezvousClient::READY) << joiner.error();
    EXPECT_EQ(joiner.path(), c.path);
    EXPECT_LE(w.now() - before, c.within);
    // The joiner's connection gets in where it was sent, and the host names the way it came alike.
    const rdv::endpoint arrived = w.match_datagram_arrives_from();
    ASSERT_NE(arrived, rdv::endpoint{})
        << "the host's router stopped the match at " << rdv::to_string(joiner.peer());
    w.host().client->connected(arrived);
    EXPECT_EQ(w.host().client->path(), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Routers, Ladder,
    ::testing::Values(
        ladder_case{"no_routers", NO_ROUTER, false, NO_ROUTER, false, "direct", 0.5},
        ladder_case{"same_network", PRESERVING, false, PRESERVING, true, "direct", 0.5},
        ladder_case{"host_mapped", PRESERVING, true, PRESERVING, false, "mapped", 0.5},
        ladder_case{"mapped_host_symmetric_joiner", PRESERVING, true, SYMMETRIC, false, "mapped", 0.5},
        ladder_case{"both_preserving", PRESERVING, false, PRESERVING, false, "punched", 0.5},
        ladder_case{"public_host_symmetric_joiner", NO_ROUTER, false, SYMMETRIC, false, "direct", 0.5},
        ladder_case{"both_symmetric", SYMMETRIC, false, SYMMETRIC, false, "relayed", 5.5},
        ladder_case{"preserving_and_symmetric", PRESERVING, false, SYMMETRIC, false, "relayed", 5.5}),
    [](const ::testing::TestParamInfo<ladder_case>& info) { return std::string(info.param.name); });

TEST(RendezvousClient, SaysWhyWhenTheWayIsNotFound) {
    // No server at all: both give up within their limit and say so.
    CRendezvousClient host(SERVER, {}, [](const rdv::endpoint&, const std::vector<std::uint8_t>&) {});
    int sent = 0;
    CRendezvousClient joiner(SERVER, {},
                             [&sent](const rdv::endpoint&, const std::vector<std::uint8_t>&) { ++sent; });
    host.host({}, 0);
    ASSERT_TRUE(joiner.join("ACDEFG", 0));
    for (double t = 0; t < 10; t += 0.01) {
        host.poll(t);
        joiner.poll(t);
    }
    EXPECT_EQ(host.state(), CRendezvousClient::FAILED);
    EXPECT_EQ(host.error(), "The server does not answer");
    EXPECT_EQ(joiner.error(), "The server does not answer");
    // It asked again, but not without end.
    EXPECT_GT(sent, 3);
    EXPECT_LE(sent, static_cast<int>(CRendezvousClient::SERVER_LIMIT / CRendezvousClient::JOIN_RETRY) + 2);

    CRendezvousClient typo(SERVER, {}, [](const rdv::endpoint&, const std::vector<std::uint8_t>&) {});
    EXPECT_FALSE(typo.join("ABCDEF", 0));  // B is not in the alphabet
    EXPECT_EQ(typo.state(), CRendezvousClient::FAILED);
    EXPECT_FALSE(typo.error().empty());
}

TEST(RendezvousClient, AProgramThatRunsSeldomGetsTheChancesOfOneThatRunsOften) {
    // Held up for longer than the server's limit right after its first JOIN (a loaded machine, a slow
    // lookup of the server's name): the answer waited in its socket, and the way is found all the same.
    world w(PRESERVING, PRESERVING);
    w.host().client->host({}, w.now());
    w.run(1);
    ASSERT_TRUE(w.joiner().client->join(w.host().client->code(), w.now()));
    w.stall(CRendezvousClient::SERVER_LIMIT + 1);
    w.run(10);
    EXPECT_EQ(w.joiner().client->state(), CRendezvousClient::READY) << w.joiner().client->error();
    EXPECT_EQ(w.joiner().client->path(), "punched");

    // With no server, one polled every two seconds gives up once it has asked as often as one polled
    // all the time would have, and no sooner.
    int sent = 0;
    CRendezvousClient seldom(SERVER, {},
                             [&sent](const rdv::endpoint&, const std::vector<std::uint8_t>&) { ++sent; });
    ASSERT_TRUE(seldom.join("ACDEFG", 0));
    for (double t = 2; t < 60 && seldom.state() != CRendezvousClient::FAILED; t += 2)
        seldom.poll(t);
    EXPECT_EQ(seldom.error(), "The server does not answer");
    EXPECT_EQ(sent, static_cast<int>(CRendezvousClient::SERVER_LIMIT / CRendezvousClient::JOIN_RETRY));
}

TEST(RendezvousClient, AnUnknownCodeIsToldToThePlayer) {
    world w(NO_ROUTER, NO_ROUTER);
    ASSERT_TRUE(w.joiner().client->join("ACDEFG", 0));
    w.run(2);
    EXPECT_EQ(w.joiner().client->state(), CRendezvousClient::FAILED);
    EXPECT_EQ(w.joiner().client->error(), "No such code: ask the host for it again");
}

TEST(RendezvousClient, OnlyTheServerIsHeardOnTheServersMatters) {
    std::vector<std::uint8_t> last;
    CRendezvousClient joiner(SERVER, {},
                             [&last](const rdv::endpoint&, const std::vector<std::uint8_t>& d) { last = d; });
    ASSERT_TRUE(joiner.join("ACDEFG", 0));
    rdv::message refused;
    refused.kind = rdv::REFUSED;
    refused.reason = rdv::TOO_MANY;
    const std::vector<std::uint8_t> bytes = rdv::encode(refused);
    // A stranger's word changes nothing; garbage neither.
    joiner.received(ep("192.0.2.99:24817"), bytes.data(), bytes.size(), 0.1);
    const std::uint8_t junk[] = {'Z', 'V', 'R', 1, 0xff, 0xff};
    joiner.received(SERVER, junk, sizeof junk, 0.1);
    EXPECT_EQ(joiner.state(), CRendezvousClient::JOINING);
    joiner.received(SERVER, bytes.data(), bytes.size(), 0.2);
    EXPECT_EQ(joiner.state(), CRendezvousClient::FAILED);
    EXPECT_EQ(joiner.error(), "Too many attempts, wait a moment");
}

TEST(RendezvousClient, WhenNoProbeGetsThroughTheServerRelays) {
    world w(PRESERVING, PRESERVING);
    w.drop_probes = true;
    meet(w);
    EXPECT_EQ(w.joiner().client->path(), "relayed");
    EXPECT_EQ(w.joiner().client->peer(), SERVER);
    EXPECT_EQ(w.host().client->path(), "relayed");
}

TEST(RendezvousClient, AJoinerOnAWebSocketIsRelayedAtOnceWithoutProbes) {
    // The host's router would let probes through; the joiner has no address to probe.
    world w(PRESERVING, PRESERVING);
    w.joiner_on_websocket = true;
    w.host().client->host(w.host().mapped(), w.now());
    w.run(1);
    ASSERT_FALSE(w.host().client->code().empty());
    const double joined = w.now();
    ASSERT_TRUE(w.joiner().client->join(w.host().client->code(), joined));
    w.run(10);
    EXPECT_EQ(w.joiner().client->path(), "relayed");
    EXPECT_EQ(w.joiner().client->peer(), SERVER);
    EXPECT_EQ(w.host().client->path(), "relayed");
    EXPECT_EQ(w.probes_sent, 0);
    // A few round trips to the server, far from the seconds of probing.
    EXPECT_LT(w.now() - joined, 0.2);
}

TEST(RendezvousClient, ProbesBeforeAnIntroductionAreNotAnswered) {
    int answers = 0;
    CRendezvousClient lone(SERVER, {},
                           [&answers](const rdv::endpoint&, const std::vector<std::uint8_t>&) { ++answers; });
    ASSERT_TRUE(lone.join("ACDEFG", 0));
    answers = 0;
    rdv::message probe;
    probe.kind = rdv::PUNCH;
    probe.token = 7;
    const std::vector<std::uint8_t> bytes = rdv::encode(probe);
    lone.received(ep("192.0.2.50:1000"), bytes.data(), bytes.size(), 0.01);  // before any introduction
    EXPECT_EQ(answers, 0);
}

TEST(RendezvousClient, ARequestAnsweredWithACookieGoesAgainAtOnceWithIt) {
    std::vector<rdv::message> sent;
    CRendezvousClient joiner(SERVER, {}, [&sent](const rdv::endpoint&, const std::vector<std::uint8_t>& d) {
        rdv::message m;
        ASSERT_TRUE(rdv::decode(d.data(), d.size(), m));
        sent.push_back(m);
    });
    ASSERT_TRUE(joiner.join("ACDEFG", 0));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].proof, rdv::cookie{});
    rdv::message cookie;
    cookie.kind = rdv::COOKIE;
    cookie.proof.fill(7);
    const std::vector<std::uint8_t> bytes = rdv::encode(cookie);
    // A stranger's cookie is nobody's word; the server's is used at once, and only once.
    joiner.received(ep("192.0.2.99:24817"), bytes.data(), bytes.size(), 0.01);
    EXPECT_EQ(sent.size(), 1u);
    joiner.received(SERVER, bytes.data(), bytes.size(), 0.01);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].kind, rdv::JOIN);
    EXPECT_EQ(sent[1].code, "ACDEFG");
    EXPECT_EQ(sent[1].proof, cookie.proof);
    joiner.received(SERVER, bytes.data(), bytes.size(), 0.02);
    EXPECT_EQ(sent.size(), 2u);
    // The retries that follow carry it too.
    joiner.poll(CRendezvousClient::JOIN_RETRY + 0.01);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2].proof, cookie.proof);
}

TEST(RendezvousClient, AServerOfAnotherVersionIsToldToThePlayer) {
    for (const std::uint8_t version : {static_cast<std::uint8_t>(rdv::VERSION + 1), std::uint8_t{0}}) {
        CRendezvousClient host(SERVER, {}, [](const rdv::endpoint&, const std::vector<std::uint8_t>&) {});
        host.host({}, 0);
        std::vector<std::uint8_t> refusal = rdv::encode_version_refusal(rdv::VERSION + 1);
        refusal[3] = version;
        host.received(SERVER, refusal.data(), refusal.size(), 0.1);
        EXPECT_EQ(host.state(), CRendezvousClient::FAILED);
        EXPECT_EQ(host.error(), version > rdv::VERSION
                                    ? "The server is newer than this game: update the game"
                                    : "The server is older than this game: it cannot be used");
    }
}
