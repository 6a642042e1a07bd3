// The WebSocket connections of the rendezvous server as the library reports them, in any order and with
// any contents: accepted from a few addresses (one of them a trusted proxy), their handshakes with any
// Origin and X-Forwarded-For, messages in pieces of any size and kind handed to the real rendezvous,
// datagrams for them queued and written, closes and idle time. Whatever happens, the table holds no
// more connections than its limits allow in all and per address, never more bytes waiting than its
// budget, hands the rendezvous nothing larger than a datagram, and gives everything back when the
// connections are gone.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "server/rendezvous.h"
#include "server/websocket_links.h"

namespace {

constexpr std::uint32_t PROXY = 0x7f000001;
constexpr std::size_t HEADROOM = 16;

// Datagrams for connections go to the table, as the server's loop sends them; the rest are dropped.
class CLinkSink : public CDatagramSink {
  public:
    explicit CLinkSink(CWebSocketLinks& links) : links_(links) {}
    void send(const peer& to, const std::uint8_t* data, std::size_t size) override {
        if (size > rdv::MAX_DATAGRAM)
            abort();
        std::uint32_t slot = 0;
        if (to.via == transport::WEBSOCKET && links_.open_link(to.link, slot))
            links_.queue(slot, data, size);
    }

  private:
    CWebSocketLinks& links_;
};

std::string text(const std::uint8_t* data, std::size_t size, std::size_t& at, std::size_t length) {
    const std::size_t end = std::min(size, at + length);
    std::string s(reinterpret_cast<const char*>(data) + std::min(at, size), end - std::min(at, size));
    at = end;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    server_config config;
    config.max_websockets = 5;
    config.websockets_per_address = 2;
    config.websockets_per_network = 3;
    config.websocket_queue_bytes = 4096;
    config.websocket_buffer_bytes = 65536;
    config.websocket_idle_s = 5;
    config.websocket_proxy = PROXY;
    config.websocket_origins = "https://a.example, http://b.example:8000";
    config.max_hosts = 3;
    config.max_relays = 2;
    config.join_burst = 4;
    config.message_burst = 8;
    config.max_sources = 8;
    CWebSocketLinks links(config, HEADROOM, 7);
    CRendezvous rendezvous(config, nullptr);
    CLinkSink sink(links);
    std::int64_t now = 1000000;
    std::size_t at = 0;
    while (at + 3 <= size) {
        const unsigned op = data[at] % 8;
        const unsigned arg = data[at + 1];
        now += data[at + 2] * 25;
        at += 3;
        const std::uint32_t slot = arg % config.max_websockets;
        const websocket_link& l = links.at(slot);
        switch (op) {
            case 0: {  // a connection from one of four addresses, or the proxy
                rdv::endpoint from{arg % 5 == 0 ? PROXY : 0xc6336400u + arg % 4,
                                   static_cast<std::uint16_t>(arg)};
                std::uint32_t taken = 0;
                links.accept(from, reinterpret_cast<void*>(static_cast<std::uintptr_t>(arg + 1)), now, taken);
                break;
            }
            case 1: {  // its handshake
                const std::size_t origin_length = at < size ? data[at] % 48 : 0;
                const std::size_t forwarded_length = at + 1 < size ? data[at + 1] % 48 : 0;
                at += 2;
                const std::string origin = text(data, size, at, origin_length);
                const std::string forwarded = text(data, size, at, forwarded_length);
                if (l.used && !l.admitted)
                    links.handshake(slot, origin.data(), origin.size(), forwarded.data(), forwarded.size());
                break;
            }
            case 2:
            case 3: {  // a piece of a message: first, last, binary by the flags
                const std::size_t length = at < size ? data[at] * (op == 3 ? 16u : 1u) : 0;
                const unsigned flags = at + 1 < size ? data[at + 1] : 0;
                at += 2;
                const std::string piece = text(data, size, at, length);
                if (!l.used || !l.admitted)
                    break;
                const std::uint8_t* message = nullptr;
                std::size_t message_size = 0;
                const CWebSocketLinks::verdict v =
                    links.receive(slot, reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size(),
                                  flags & 1, flags & 2, (flags & 4) == 0, now, message, message_size);
                if (v == CWebSocketLinks::COMPLETE) {
                    if (message_size > rdv::MAX_DATAGRAM)
                        abort();
                    rendezvous.receive(message, message_size, l.who, now, sink);
                }
                break;
            }
            case 4: {  // its turn to write
                if (!l.used)
                    break;
                CDatagramQueue& waiting = links.waiting(slot);
                for (unsigned n = arg % 4; n > 0 && !waiting.empty(); --n) {
                    std::size_t length = 0;
                    std::uint8_t* front = waiting.front(length);
                    front[-static_cast<std::ptrdiff_t>(HEADROOM)] = 0;
                    if (length > rdv::MAX_DATAGRAM)
                        abort();
                    waiting.pop();
                }
                break;
            }
            case 5: {  // a datagram the rendezvous did not make, for any link number
                const std::string d = text(data, size, at, arg * 6);
                std::uint32_t to = 0;
                if (links.open_link(arg % 8, to))
                    links.queue(to, reinterpret_cast<const std::uint8_t*>(d.data()), d.size());
                break;
            }
            case 6: {  // gone
                if (!l.used)
                    break;
                peer who;
                if (links.close(slot, who))
                    rendezvous.disconnected(who);
                std::uint32_t still = 0;
                if (links.open_link(who.link, still))
                    abort();
                break;
            }
            case 7: {
                std::vector<void*> quiet;
                links.idle(now, quiet);
                rendezvous.expire(now);
                break;
            }
        }
        if (links.size() > config.max_websockets || links.waiting_bytes() > config.websocket_buffer_bytes)
            abort();
        std::map<std::uint32_t, unsigned> per_address;
        for (std::uint32_t s = 0; s < config.max_websockets; ++s)
            if (links.at(s).used && links.at(s).counted != 0 &&
                ++per_address[links.at(s).counted] > config.websockets_per_address)
                abort();
    }
    for (std::uint32_t s = 0; s < config.max_websockets; ++s) {
        peer who;
        if (links.at(s).used)
            links.close(s, who);
    }
    if (links.size() != 0 || links.waiting_bytes() != 0)
        abort();
    return 0;
}
