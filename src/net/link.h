#pragma once

// One UDP endpoint that carries messages to and from a few peers: reliable and in order, or sent once
// and maybe lost, duplicated or overtaken (for messages that repeat what matters until it is known to
// have arrived). Everything about the transport (ENet) stays behind this class; it knows nothing of
// what the messages mean.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/rendezvous_message.h"

class CConnectCookies;
struct _ENetHost;
struct _ENetEvent;

class CNetLink {
  public:
    // Larger datagrams are dropped by the transport before they reach anyone.
    static constexpr std::size_t MAX_MESSAGE = 4096;

    enum event_kind { NOTHING, CONNECTED, RECEIVED, DISCONNECTED };
    struct event {
        event_kind kind = NOTHING;
        int peer = -1;  // stays the same for one connection, reused after it ends
        std::vector<std::uint8_t> data;
    };

    CNetLink();
    ~CNetLink();
    CNetLink(const CNetLink&) = delete;
    CNetLink& operator=(const CNetLink&) = delete;

    // Places one address may hold with connections not yet vouched for (see vouch): a new request
    // from an address that holds as many pushes out its oldest.
    static constexpr int STRANGER_PLACES = 4;

    // Waits for connections on a UDP port (0: any free port) of every local address, or of `address`
    // only. At most `max_peers` at a time; further attempts are not answered. A request is let in only
    // with the cookie this host gave its sender (see connect_cookie.h), which connect() asks for.
    bool listen(std::uint16_t port, int max_peers, std::string& error, const char* address = nullptr);
    // The connection has shown what it is (a player's or a watcher's greeting): it no longer counts
    // among its address's strangers.
    void vouch(int peer);
    // Only requests from the addresses of these endpoints are let in from now on, and strangers from
    // others go; empty: anyone's (the way the other side was introduced names where it comes from).
    void admit_only(std::vector<rdv::endpoint> endpoints);
    // Opens a UDP port (0: any free port) that takes no connections, so that a connection started
    // later goes out from it: the port the way to the other side was found from. On every local
    // address, or on `address` only.
    bool open(std::uint16_t port, std::string& error, const char* address = nullptr);
    // Starts to connect, from the open port if there is one: asks the host for a cookie first, and
    // connects with it once it comes. A CONNECTED or DISCONNECTED event says how it went.
    bool connect(const std::string& host, std::uint16_t port, std::string& error);
    // Sends and receives; returns the next event, waiting up to `milliseconds` for one. Datagrams
    // that bring no event (junk, oversized ones) are read and skipped until none is left waiting.
    event service(int milliseconds);
    // Waits `milliseconds` as a program rests between frames, reading the port meanwhile: under a
    // flood of junk the socket's buffer then keeps room for the other side's datagrams. What they
    // bring waits for service(), in order.
    void rest(int milliseconds);
    enum delivery { RELIABLE, UNRELIABLE };
    bool send(int peer, const std::vector<std::uint8_t>& message, delivery how = RELIABLE);
    // Sends what is queued for the peer, then ends the connection; DISCONNECTED follows, within a
    // second if the peer does not acknowledge.
    void disconnect(int peer);
    // Ends the connection at once, with no DISCONNECTED: its place is free for another.
    void drop(int peer);
    // Disconnects every peer and waits up to `milliseconds` for them to acknowledge, so that the last
    // messages get out before the program ends.
    void shut_down(int milliseconds);
    void flush();

    // Rendezvous datagrams share the socket, so that the routers on the way open the port the game
    // plays on. They go out as they are, and come in to `handler` (during service) instead of to ENet.
    using datagram_handler =
        std::function<void(const rdv::endpoint& from, const std::uint8_t* data, std::size_t size)>;
    void on_rendezvous(datagram_handler handler);
    // `hops`: how many routers it may pass (its TTL), 0 for as many as any datagram.
    bool send_datagram(const rdv::endpoint& to, const std::vector<std::uint8_t>& datagram, int hops = 0);

    // The bound port, once listening (useful when 0 was asked).
    std::uint16_t port() const;
    // The peer's address as text, "a.b.c.d:port".
    std::string peer_address(int peer) const;
    // The connection's mean round trip in milliseconds, as the transport measures it; 0 for none.
    std::uint32_t round_trip_ms(int peer) const;
    // This machine's IPv4 addresses other than loopback, to tell a player where to connect.
    static std::vector<std::string> local_addresses();
    // Whether this target can play over the network at all: the browser's cannot yet (link_web.cpp).
    static bool available();

  private:
    bool create(std::uint16_t port, int max_peers, std::string& error, const char* address);
    void hurry_half_open();
    int service_host(_ENetEvent* e, int milliseconds);
    static int intercept(_ENetHost* host, _ENetEvent* event);
    void on_cookie_datagram();
    bool admits_request();
    bool admitted(std::uint32_t address) const;
    void make_room_for(std::uint32_t address);
    void evict(int peer);
    void ask_cookie();
    void connect_with_cookie();
    // The next event from the socket, waiting up to `milliseconds`.
    event receive(int milliseconds);

    _ENetHost* host_ = nullptr;
    bool accepting_ = false;  // listening: connect requests are let in
    datagram_handler rendezvous_;
    std::unique_ptr<CConnectCookies> cookies_;  // the desktop's transport's: its hosts give cookies
    std::vector<bool> vouched_;            // by place
    std::vector<rdv::endpoint> admitted_;  // empty: anyone
    std::deque<int> evicted_;              // connected strangers pushed out, to report DISCONNECTED
    std::deque<event> held_;               // come while resting, for service()
    bool asking_ = false;                  // connect(): a cookie is awaited from `target_`
    std::uint32_t target_address_ = 0;     // host byte order
    std::uint16_t target_port_ = 0;
    std::uint32_t last_ask_ = 0;
    bool cookie_came_ = false;
    std::uint32_t cookie_ = 0;
};
