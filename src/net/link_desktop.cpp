#include "net/link.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>

#include "net/connect_cookie.h"
#include "net/connect_datagram.h"

namespace {

// Reliable messages on channel 0, unreliable ones on channel 1.
constexpr std::size_t CHANNELS = 2;
// A connection that has heard nothing acknowledged for this long ends with DISCONNECTED.
constexpr enet_uint32 TIMEOUT_MS = 5000;
// A connection asked for but never completed holds a place only this long (ENet's own: 30 s), and
// one being ended waits this long for its last acknowledgement.
constexpr enet_uint32 HALF_OPEN_MS = 1500;
constexpr enet_uint32 ENDING_MS = 1000;
// Each pass of ENet reads up to 256 datagrams; a flood gets this many passes a call, then waits.
constexpr int MAX_PASSES = 64;
// A cookie is asked for again this often until the host answers; the session gives up on its own clock.
constexpr enet_uint32 ASK_AGAIN_MS = 250;
// Events a rest holds at most; beyond, the port waits for the next turn.
constexpr std::size_t MAX_HELD = 256;

// ENet wants one initialisation per process user; every link holds one.
int users = 0;

bool start_enet(std::string& error) {
    if (users == 0 && enet_initialize() != 0) {
        error = "could not initialise the network library";
        return false;
    }
    ++users;
    return true;
}

void stop_enet() {
    if (--users == 0)
        enet_deinitialize();
}

bool datagram_waiting(ENetHost* host) {
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    return enet_socket_wait(host->socket, &condition, 0) == 0 && (condition & ENET_SOCKET_WAIT_RECEIVE) != 0;
}

// A place's time of asking, kept in the peer's own user field: ENet leaves it alone.
void mark_asked(ENetPeer* p, enet_uint32 now) {
    p->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(now));
}

enet_uint32 asked(const ENetPeer* p) {
    return static_cast<enet_uint32>(reinterpret_cast<std::uintptr_t>(p->data));
}

bool earlier(const ENetPeer* a, const ENetPeer* b) {
    return b == nullptr || static_cast<std::int32_t>(asked(a) - asked(b)) < 0;
}

// The link whose host ENet is servicing now, for the intercept, which ENet gives only the host.
thread_local CNetLink* serving = nullptr;

ENetPeer* peer_at(ENetHost* host, int peer) {
    if (host == nullptr || peer < 0 || static_cast<std::size_t>(peer) >= host->peerCount)
        return nullptr;
    ENetPeer* p = &host->peers[peer];
    return p->state == ENET_PEER_STATE_DISCONNECTED ? nullptr : p;
}

}  // namespace

CNetLink::CNetLink() : cookies_(std::make_unique<CConnectCookies>()) {}

CNetLink::~CNetLink() {
    if (host_ != nullptr) {
        enet_host_destroy(host_);
        stop_enet();
    }
}

bool CNetLink::create(std::uint16_t port, int max_peers, std::string& error, const char* address) {
    if (host_ != nullptr || !start_enet(error))
        return false;
    ENetAddress bind;
    bind.host = ENET_HOST_ANY;
    bind.port = port;
    if (address != nullptr && enet_address_set_host_ip(&bind, address) != 0) {
        error = std::string("not an address: ") + address;
        stop_enet();
        return false;
    }
    host_ = enet_host_create(&bind, static_cast<std::size_t>(max_peers), CHANNELS, 0, 0);
    if (host_ == nullptr) {
        error = "could not open UDP port " + std::to_string(port) + " (in use?)";
        stop_enet();
        return false;
    }
    host_->maximumPacketSize = MAX_MESSAGE;
    host_->intercept = intercept;
    vouched_.assign(host_->peerCount, false);
    return true;
}

bool CNetLink::listen(std::uint16_t port, int max_peers, std::string& error, const char* address) {
    accepting_ = create(port, max_peers, error, address);
    return accepting_;
}

bool CNetLink::open(std::uint16_t port, std::string& error, const char* address) {
    return create(port, 1, error, address);
}

bool CNetLink::connect(const std::string& host, std::uint16_t port, std::string& error) {
    if (accepting_)
        return false;
    ENetAddress to;
    to.port = port;
    if (enet_address_set_host(&to, host.c_str()) != 0) {
        error = "unknown host \"" + host + "\"";
        return false;
    }
    if (host_ == nullptr && !create(0, 1, error, nullptr)) {
        error = "could not open a UDP socket";
        return false;
    }
    asking_ = true;
    target_address_ = ntohl(to.host);
    target_port_ = port;
    ask_cookie();
    return true;
}

void CNetLink::ask_cookie() {
    last_ask_ = enet_time_get();
    send_datagram(rdv::endpoint{target_address_, target_port_}, CConnectCookies::ask());
}

void CNetLink::connect_with_cookie() {
    cookie_came_ = false;
    asking_ = false;
    ENetAddress to;
    to.host = htonl(target_address_);
    to.port = target_port_;
    if (ENetPeer* peer = enet_host_connect(host_, &to, CHANNELS, cookie_))
        enet_peer_timeout(peer, 0, TIMEOUT_MS, TIMEOUT_MS);
}

CNetLink::event CNetLink::service(int milliseconds) {
    event out;
    if (host_ == nullptr)
        return out;
    if (!evicted_.empty()) {
        out.kind = DISCONNECTED;
        out.peer = evicted_.front();
        evicted_.pop_front();
        return out;
    }
    if (!held_.empty()) {
        out = std::move(held_.front());
        held_.pop_front();
        return out;
    }
    return receive(milliseconds);
}

CNetLink::event CNetLink::receive(int milliseconds) {
    event out;
    if (asking_ && enet_time_get() - last_ask_ >= ASK_AGAIN_MS)
        ask_cookie();
    ENetEvent e;
    // ENet gives up a pass (-1) at a datagram larger than it reads, with the rest still waiting.
    int got = service_host(&e, milliseconds);
    for (int pass = 0; got <= 0 && pass < MAX_PASSES && datagram_waiting(host_); ++pass)
        got = service_host(&e, 0);
    if (cookie_came_)
        connect_with_cookie();
    hurry_half_open();
    if (got <= 0)
        return out;
    out.peer = static_cast<int>(e.peer - host_->peers);
    switch (e.type) {
        case ENET_EVENT_TYPE_CONNECT:
            out.kind = CONNECTED;
            enet_peer_timeout(e.peer, 0, TIMEOUT_MS, TIMEOUT_MS);
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            out.kind = RECEIVED;
            out.data.assign(e.packet->data, e.packet->data + e.packet->dataLength);
            enet_packet_destroy(e.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            out.kind = DISCONNECTED;
            break;
        default:
            break;
    }
    return out;
}

bool CNetLink::send(int peer, const std::vector<std::uint8_t>& message, delivery how) {
    ENetPeer* p = peer_at(host_, peer);
    if (p == nullptr || message.empty() || message.size() > MAX_MESSAGE)
        return false;
    // Each kind has its own channel, so a lost reliable message never holds up the others.
    const bool reliable = how == RELIABLE;
    ENetPacket* packet = enet_packet_create(
        message.data(), message.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (packet == nullptr)
        return false;
    if (enet_peer_send(p, reliable ? 0 : 1, packet) != 0) {
        enet_packet_destroy(packet);
        return false;
    }
    return true;
}

void CNetLink::rest(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    // Bounded: a peer that sends without end cannot hold the program here.
    while (host_ != nullptr && held_.size() < MAX_HELD) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        event e = receive(static_cast<int>(left.count()));
        if (e.kind != NOTHING)
            held_.push_back(std::move(e));
    }
    std::this_thread::sleep_until(until);
}

int CNetLink::service_host(ENetEvent* e, int milliseconds) {
    CNetLink* outer = std::exchange(serving, this);
    const int got =
        enet_host_service(host_, e, static_cast<enet_uint32>(milliseconds > 0 ? milliseconds : 0));
    serving = outer;
    return got;
}

int CNetLink::intercept(ENetHost* host, ENetEvent*) {
    CNetLink* link = serving;
    if (link == nullptr || link->host_ != host)
        return 0;
    const std::uint8_t* data = host->receivedData;
    const std::size_t size = host->receivedDataLength;
    if (rdv::is_rendezvous(data, size)) {
        if (link->rendezvous_)
            link->rendezvous_(rdv::endpoint{ntohl(host->receivedAddress.host), host->receivedAddress.port},
                              data, size);
        return 1;
    }
    if (CConnectCookies::is_cookie_datagram(data, size)) {
        link->on_cookie_datagram();
        return 1;
    }
    if (!is_connect_request(data, size))
        return 0;
    // An open port that only connects out: no stranger takes its one place.
    return link->accepting_ && link->admits_request() ? 0 : 1;
}

// Asks are answered where they came from, with nothing kept; an answer is taken only from the host
// this side asked.
void CNetLink::on_cookie_datagram() {
    const std::uint8_t* data = host_->receivedData;
    const std::size_t size = host_->receivedDataLength;
    const std::uint32_t from = ntohl(host_->receivedAddress.host);
    const std::uint16_t port = host_->receivedAddress.port;
    std::uint32_t cookie = 0;
    if (accepting_ && CConnectCookies::is_ask(data, size) && admitted(from)) {
        send_datagram(rdv::endpoint{from, port}, cookies_->answer(from, port, host_->serviceTime));
    } else if (asking_ && from == target_address_ && port == target_port_ &&
               CConnectCookies::read_answer(data, size, cookie)) {
        cookie_ = cookie;
        cookie_came_ = true;
    }
}

// By address: a router that gives each destination a port of its own shows the server one port and
// this host another.
bool CNetLink::admitted(std::uint32_t address) const {
    return admitted_.empty() || std::any_of(admitted_.begin(), admitted_.end(),
                                            [&](const rdv::endpoint& e) { return e.address == address; });
}

// Before ENet reads a connect request: only with the cookie given to its sender, from an endpoint let
// in. It takes the first free place, which is marked with the time asked; with none free, the
// half-open connection asked for longest ago makes room, and an address never holds more than
// STRANGER_PLACES places it has not been vouched for.
bool CNetLink::admits_request() {
    const std::uint8_t* data = host_->receivedData;
    const std::size_t size = host_->receivedDataLength;
    const ENetAddress& sender = host_->receivedAddress;
    const std::uint32_t from = ntohl(sender.host);
    std::uint32_t connect_id = 0, cookie = 0;
    if (!connect_fields(data, size, connect_id, cookie) || !admitted(from) ||
        !cookies_->valid(from, sender.port, cookie, host_->serviceTime))
        return false;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        const ENetPeer* p = &host_->peers[i];
        // The same request again: ENet knows it already, and it takes no other place.
        if (p->state != ENET_PEER_STATE_DISCONNECTED && p->address.host == sender.host &&
            p->address.port == sender.port && p->connectID == htonl(connect_id))
            return true;
    }
    make_room_for(sender.host);
    ENetPeer* oldest = nullptr;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer* p = &host_->peers[i];
        if (p->state == ENET_PEER_STATE_DISCONNECTED) {
            mark_asked(p, host_->serviceTime);
            vouched_[i] = false;
            return true;
        }
        if (p->state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT && earlier(p, oldest))
            oldest = p;
    }
    if (oldest != nullptr) {
        enet_peer_reset(oldest);  // now the one free place, which ENet takes
        mark_asked(oldest, host_->serviceTime);
        vouched_[static_cast<std::size_t>(oldest - host_->peers)] = false;
    }
    return true;
}

// `address` in network byte order, as ENet keeps it.
void CNetLink::make_room_for(std::uint32_t address) {
    int held = 0;
    ENetPeer* oldest = nullptr;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer* p = &host_->peers[i];
        if (p->state == ENET_PEER_STATE_DISCONNECTED || vouched_[i] || p->address.host != address)
            continue;
        ++held;
        if (earlier(p, oldest))
            oldest = p;
    }
    if (held >= STRANGER_PLACES)
        evict(static_cast<int>(oldest - host_->peers));
}

// A connection the session has seen begin is told to it as ended; one it has not, just goes.
void CNetLink::evict(int peer) {
    ENetPeer* p = &host_->peers[peer];
    if (p->state == ENET_PEER_STATE_CONNECTED) {
        enet_peer_disconnect_now(p, 0);
        evicted_.push_back(peer);
    } else {
        enet_peer_reset(p);
    }
}

void CNetLink::vouch(int peer) {
    if (peer_at(host_, peer) != nullptr)
        vouched_[static_cast<std::size_t>(peer)] = true;
}

void CNetLink::admit_only(std::vector<rdv::endpoint> endpoints) {
    admitted_ = std::move(endpoints);
    if (host_ == nullptr || admitted_.empty())
        return;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        const ENetPeer* p = &host_->peers[i];
        if (p->state != ENET_PEER_STATE_DISCONNECTED && !vouched_[i] && !admitted(ntohl(p->address.host)))
            evict(static_cast<int>(i));
    }
}

void CNetLink::on_rendezvous(datagram_handler handler) {
    rendezvous_ = std::move(handler);
}

bool CNetLink::send_datagram(const rdv::endpoint& to, const std::vector<std::uint8_t>& datagram, int hops) {
    if (host_ == nullptr || datagram.empty())
        return false;
    int usual = 0;
    socklen_t size = sizeof usual;
    const bool limited = hops > 0 && getsockopt(host_->socket, IPPROTO_IP, IP_TTL, &usual, &size) == 0 &&
                         setsockopt(host_->socket, IPPROTO_IP, IP_TTL, &hops, sizeof hops) == 0;
    ENetAddress address;
    address.host = htonl(to.address);
    address.port = to.port;
    ENetBuffer buffer;
    buffer.data = const_cast<std::uint8_t*>(datagram.data());
    buffer.dataLength = datagram.size();
    const bool sent =
        enet_socket_send(host_->socket, &address, &buffer, 1) == static_cast<int>(datagram.size());
    if (limited)
        setsockopt(host_->socket, IPPROTO_IP, IP_TTL, &usual, sizeof usual);
    return sent;
}

void CNetLink::hurry_half_open() {
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer* p = &host_->peers[i];
        if (p->state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT && p->timeoutMaximum != HALF_OPEN_MS)
            enet_peer_timeout(p, 0, HALF_OPEN_MS, HALF_OPEN_MS);
    }
}

void CNetLink::disconnect(int peer) {
    if (ENetPeer* p = peer_at(host_, peer)) {
        enet_peer_timeout(p, 0, ENDING_MS, ENDING_MS);
        enet_peer_disconnect_later(p, 0);
    }
}

void CNetLink::drop(int peer) {
    if (ENetPeer* p = peer_at(host_, peer))
        enet_peer_disconnect_now(p, 0);
}

void CNetLink::shut_down(int milliseconds) {
    if (host_ == nullptr)
        return;
    int connected = 0;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        if (host_->peers[i].state != ENET_PEER_STATE_DISCONNECTED) {
            enet_peer_disconnect_later(&host_->peers[i], 0);
            ++connected;
        }
    }
    const enet_uint32 end = enet_time_get() + static_cast<enet_uint32>(milliseconds);
    ENetEvent e;
    while (connected > 0 && static_cast<int>(end - enet_time_get()) > 0) {
        int got = service_host(&e, 10);
        if (got < 0)
            break;
        if (got > 0 && e.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(e.packet);
        if (got > 0 && e.type == ENET_EVENT_TYPE_DISCONNECT)
            --connected;
    }
    enet_host_flush(host_);
}

void CNetLink::flush() {
    if (host_ != nullptr)
        enet_host_flush(host_);
}

std::uint16_t CNetLink::port() const {
    return host_ != nullptr ? host_->address.port : 0;
}

std::string CNetLink::peer_address(int peer) const {
    ENetPeer* p = peer_at(host_, peer);
    if (p == nullptr)
        return "";
    char ip[64] = "";
    enet_address_get_host_ip(&p->address, ip, sizeof ip);
    return std::string(ip) + ":" + std::to_string(p->address.port);
}

std::uint32_t CNetLink::round_trip_ms(int peer) const {
    const ENetPeer* p = peer_at(host_, peer);
    return p != nullptr && p->state == ENET_PEER_STATE_CONNECTED ? p->roundTripTime : 0;
}

std::vector<std::string> CNetLink::local_addresses() {
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET)
            continue;
        const in_addr ip = reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr;
        if ((ntohl(ip.s_addr) >> 24) == 127)
            continue;
        char text[INET_ADDRSTRLEN] = "";
        if (inet_ntop(AF_INET, &ip, text, sizeof text) != nullptr)
            out.push_back(text);
    }
    freeifaddrs(list);
    return out;
}

bool CNetLink::available() {
    return true;
}
