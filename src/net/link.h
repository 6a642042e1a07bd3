#pragma once

// One UDP endpoint that carries messages to and from a few peers: reliable and in order, or sent once
// and maybe lost, duplicated or overtaken (for messages that repeat what matters until it is known to
// have arrived). Everything about the transport (ENet) stays behind this class; it knows nothing of
// what the messages mean.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/rendezvous_message.h"

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

    // Waits for connections on a UDP port (0: any free port) of every local address, or of `address`
    // only. At most `max_peers` at a time; further attempts are not answered.
    bool listen(std::uint16_t port, int max_peers, std::string& error, const char* address = nullptr);
    // Opens a UDP port (0: any free port) that takes no connections, so that a connection started
    // later goes out from it: the port the way to the other side was found from.
    bool open(std::uint16_t port, std::string& error);
    // Starts to connect, from the open port if there is one; a CONNECTED or DISCONNECTED event says
    // how it went.
    bool connect(const std::string& host, std::uint16_t port, std::string& error);
    // Sends and receives; returns the next event, waiting up to `milliseconds` for one. Datagrams
    // that bring no event (junk, oversized ones) are read and skipped until none is left waiting.
    event service(int milliseconds);
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
    bool send_datagram(const rdv::endpoint& to, const std::vector<std::uint8_t>& datagram);

    // The bound port, once listening (useful when 0 was asked).
    std::uint16_t port() const;
    // The peer's address as text, "a.b.c.d:port".
    std::string peer_address(int peer) const;
    // The connection's mean round trip in milliseconds, as the transport measures it; 0 for none.
    std::uint32_t round_trip_ms(int peer) const;
    // This machine's IPv4 addresses other than loopback, to tell a player where to connect.
    static std::vector<std::string> local_addresses();
    // Whether this target carries datagrams at all: a browser's transport is yet to come.
    static bool available();

  private:
    bool create(std::uint16_t port, int max_peers, std::string& error, const char* address);
    void hurry_half_open();
    int service_host(_ENetEvent* e, int milliseconds);
    static int intercept(_ENetHost* host, _ENetEvent* event);

    _ENetHost* host_ = nullptr;
    bool accepting_ = false;  // listening: connect requests are let in
    datagram_handler rendezvous_;
};
