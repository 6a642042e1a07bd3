#pragma once

// One side's way to the other through a rendezvous server, from the socket the match will use. The
// host registers and gets a code to pass on; the joiner gives the code; the server introduces the two,
// who then send probes to each other's addresses at once so that their routers open, and when no probe
// gets through, ask the server to relay; when the server says that a side can be reached only through
// it (a browser, on a WebSocket), they ask for the relay at once. Every request carries the cookie the server
// last gave; a request the server answers with a new cookie goes again at once with it. It is driven by
// poll() and the datagrams handed in, and sends through the function it is given: no socket, no clock of its
// own.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/rendezvous_message.h"

class CRendezvousClient {
  public:
    static constexpr double REGISTER_RETRY = 1;  // seconds between REGISTERs until the server answers
    static constexpr double KEEP_ALIVE = 10;     // seconds between REGISTERs once it has, at most
    static constexpr double JOIN_RETRY = 0.5;
    static constexpr double SERVER_LIMIT = 5;  // seconds for the server's first answer
    static constexpr double PUNCH_EVERY = 0.1;
    static constexpr double PUNCH_LIMIT = 3;
    // The first probes only open this side's own router (see opening()).
    static constexpr double OPENING = 0.3;
    static constexpr int OPENING_HOPS = 2;
    static constexpr double BETTER_WAIT = 0.15;  // after a first answer, for a better address to answer too
    static constexpr double RELAY_EVERY = 0.25;
    static constexpr double RELAY_LIMIT = 2;

    enum phase {
        IDLE,
        REGISTERING,   // host: waiting for the server's code
        WAITING,       // host: the code is known, no joiner introduced yet
        JOINING,       // joiner: waiting for the introduction
        PUNCHING,      // probing the other side's addresses
        ASKING_RELAY,  // no probe got through: waiting for the server to relay
        READY,         // the joiner connects to peer(); the host expects it from there
        FAILED,        // error() says why
    };

    using sender = std::function<void(const rdv::endpoint& to, const std::vector<std::uint8_t>& datagram)>;

    // `locals`: this machine's addresses with the game's port, announced for players behind the same
    // router.
    CRendezvousClient(rdv::endpoint server, std::vector<rdv::endpoint> locals, sender send);

    // `mapped`: the public address the router's port mapping gave, 0:0 for none.
    void host(const rdv::endpoint& mapped, double now);
    // Host: the router's mapping came later; the server is told at once.
    void update_mapping(const rdv::endpoint& mapped, double now);
    // False, with error(), when the code is not one a host could have been given.
    bool join(const std::string& typed, double now);
    void received(const rdv::endpoint& from, const std::uint8_t* data, std::size_t size, double now);
    void poll(double now);
    // Host: the player's connection came from `player`; the path is known, the code given up, and
    // nothing more is sent.
    void connected(const rdv::endpoint& player);
    // Host: the code is given up.
    void leave();

    phase state() const { return phase_; }
    const std::string& code() const { return code_; }
    // "direct", "mapped", "punched" or "relayed"; "" while not known.
    const std::string& path() const { return path_; }
    // Why it FAILED, for a player; for a host still WAITING, why the last joiner did not get through.
    const std::string& error() const { return error_; }
    // Where the joiner connects to: the host's address that answered, or the server's when relayed.
    const rdv::endpoint& peer() const { return peer_; }
    // Host: the public address the server saw, once registered.
    const rdv::endpoint& seen() const { return own_seen_; }
    // Probing has just begun: datagrams to the other side go only as far as this side's own router
    // (OPENING_HOPS), so that its mapping toward the other side is there before the other side's probes
    // arrive. A router that lets those reach itself would otherwise answer them and keep a connection
    // entry for them, and then give this side's own datagrams to that sender another port.
    bool opening(double now) const { return phase_ == PUNCHING && now - phase_since_ < OPENING; }
    // Host: where the joiner the server introduced may come from (its addresses, and the server's own
    // for a relay); empty while none is on its way in.
    std::vector<rdv::endpoint> introduced() const;

  private:
    void send(const rdv::endpoint& to, const rdv::message& m);
    // With the cookie; kept, to go again should the server answer with a new cookie.
    void send_to_server(rdv::message m);
    void on_cookie(const rdv::cookie& c);
    // Whether `every` seconds have passed since the last JOIN, round of probes or RELAY; if so, now they
    // have.
    bool due(double now, double every);
    void enter(phase p, double now);
    // The phase has lasted `limit` seconds and, asking every `every` seconds, asked as often as that
    // takes: a program that ran seldom (a loaded machine, a slow name lookup before it began) gives the
    // other side every chance it would have had.
    bool past(double limit, double every, double now) const;
    rdv::message with_token(rdv::type kind) const;
    void send_register();
    void on_message(const rdv::message& m, double now);
    void on_introduce(const rdv::message& m, double now);
    void on_punch(const rdv::endpoint& from, const rdv::message& m, double now);
    void choose(const rdv::endpoint& answered);
    void no_relay(const std::string& why);
    void fail(const std::string& why);
    int rank(const rdv::endpoint& address) const;
    std::vector<rdv::endpoint> candidates() const;

    rdv::endpoint server_;
    rdv::cookie cookie_{};
    rdv::message last_request_;
    bool requested_ = false;
    double keep_alive_ = KEEP_ALIVE;  // a third of the lifetime the server gives a code
    std::vector<rdv::endpoint> locals_;
    sender send_;
    bool hosting_ = false;
    phase phase_ = IDLE;
    std::string code_;
    std::string path_;
    std::string error_;
    rdv::endpoint peer_;
    rdv::endpoint mapped_;    // ours, host only
    rdv::endpoint own_seen_;  // ours as the server saw it, host only
    bool connected_ = false;  // host: the player is here

    // The other side, from the introduction.
    std::uint64_t token_ = 0;
    rdv::endpoint other_seen_;
    rdv::endpoint other_mapped_;
    std::vector<rdv::endpoint> other_locals_;
    bool answered_ = false;  // a probe got through
    rdv::endpoint best_;     // the best-ranked address a probe came from or was answered from
    double answered_at_ = 0;

    double phase_since_ = 0;
    double last_sent_ = -1e9;  // the last JOIN, PUNCH round or RELAY
    int tries_ = 0;            // of the phase: REGISTERs, JOINs, PUNCH rounds or RELAYs
    double last_register_ = -1e9;
};
