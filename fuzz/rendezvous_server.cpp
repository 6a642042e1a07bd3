// The rendezvous server fed datagrams from a few sources over time, with small tables and short
// lifetimes so that they fill and expire. Whatever arrives, it sends only to addresses that sent to it
// first, nothing larger than it reads, never a relayed datagram back to its sender, and its tables
// stay within their limits. The harness can send the latest code and token the server gave out, which
// no fuzzer would guess, so that joins and relays are reached.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "net/rendezvous_message.h"
#include "server/rendezvous.h"

namespace {

constexpr int SOURCES = 6;

class CCheckedSink : public CDatagramSink {
  public:
    std::set<std::uint64_t> heard_from;
    rdv::endpoint sender;
    std::string code;
    std::uint64_t token = 0;

    void send(const rdv::endpoint& to, const std::uint8_t* data, std::size_t size) override {
        if (heard_from.count(endpoint_key(to)) == 0 || size > rdv::MAX_DATAGRAM)
            abort();
        rdv::message m;
        if (!rdv::is_rendezvous(data, size)) {
            if (to == sender)
                abort();
        } else if (rdv::decode(data, size, m)) {
            if (m.kind == rdv::REGISTERED)
                code = m.code;
            if (m.kind == rdv::INTRODUCE)
                token = m.token;
        } else {
            abort();  // the server's own messages always decode
        }
    }
};

rdv::endpoint source(unsigned n) {
    rdv::endpoint e;
    e.address = 0xc6336401 + (n % SOURCES) / 2;  // two ports an address: the rate limit is per address
    e.port = static_cast<std::uint16_t>(40000 + n % SOURCES);
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    server_config config;
    config.max_hosts = 3;
    config.max_relays = 1;
    config.max_sources = 8;
    config.join_burst = 4;
    config.code_lifetime_s = 1;
    config.relay_idle_s = 1;
    config.relay_bytes_per_second = 1000;
    CRendezvous server(config, nullptr);
    CCheckedSink sink;
    std::int64_t now = 1000000;
    std::int64_t next_expiry = now + 1000;
    std::size_t at = 0;
    while (at + 3 <= size) {
        const unsigned op = data[at];
        sink.sender = source(data[at + 1]);
        now += data[at + 2] * 20;
        at += 3;
        std::vector<std::uint8_t> bytes;
        if (op % 4 == 1 || op % 4 == 2) {
            rdv::message m;
            m.kind = op % 4 == 1 ? rdv::JOIN : rdv::RELAY;
            m.code = sink.code.empty() ? "ACDEFG" : sink.code;
            m.token = sink.token;
            bytes = rdv::encode(m);
        } else {
            const std::size_t length = at < size ? data[at] * (op % 4 == 3 ? 8u : 1u) : 0;
            ++at;
            bytes.assign(data + std::min(at, size), data + std::min(at + length, size));
            at += length;
        }
        sink.heard_from.insert(endpoint_key(sink.sender));
        server.receive(bytes.data(), bytes.size(), sink.sender, now, sink);
        if (now >= next_expiry) {
            server.expire(now);
            next_expiry = now + 1000;
        }
        if (server.hosts() > config.max_hosts || server.relays() > config.max_relays)
            abort();
    }
    return 0;
}
