// The rendezvous server fed datagrams from a few sources over time, with small tables and short
// lifetimes so that they fill and expire. Whatever arrives, it sends only to addresses that sent to it
// first, nothing larger than it reads, never a relayed datagram back to its sender, and its tables
// stay within their limits. A request whose cookie the server never gave its source is answered, if at
// all, to that source alone and with no more bytes than it had. The harness keeps the cookies, codes
// and tokens the server gave out, which no fuzzer would guess, and sends them back (to the right
// source or a wrong one) so that registrations, joins and relays are reached.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "net/rendezvous_message.h"
#include "server/rendezvous.h"

namespace {

constexpr int SOURCES = 6;

class CCheckedSink : public CDatagramSink {
  public:
    std::set<std::uint64_t> heard_from;
    std::map<std::uint64_t, rdv::cookie> cookies;           // the latest the server gave each source
    std::set<std::pair<std::uint64_t, rdv::cookie>> given;  // every one it gave, and to whom
    peer sender;
    std::string code;
    std::uint64_t token = 0;
    std::size_t to_sender = 0;  // bytes sent to the sender during the datagram being handled
    std::size_t to_others = 0;

    void send(const peer& to, const std::uint8_t* data, std::size_t size) override {
        if (heard_from.count(peer_key(to)) == 0 || size > rdv::MAX_DATAGRAM)
            abort();
        (to == sender ? to_sender : to_others) += size;
        rdv::message m;
        if (!rdv::is_rendezvous(data, size)) {
            if (to == sender)
                abort();
        } else if (rdv::decode(data, size, m)) {
            if (m.kind == rdv::REGISTERED)
                code = m.code;
            if (m.kind == rdv::INTRODUCE)
                token = m.token;
            if (m.kind == rdv::COOKIE || m.kind == rdv::REGISTERED) {
                cookies[peer_key(to)] = m.proof;
                given.insert({peer_key(to), m.proof});
            }
        } else {
            std::uint8_t version = 0;
            const std::vector<std::uint8_t> first = rdv::encode_version_refusal(1);
            // The server's own messages always decode, but for its refusals of other versions.
            if (!rdv::is_version_refusal(data, size, version) &&
                std::vector<std::uint8_t>(data, data + size) != first)
                abort();
        }
    }
};

peer source(unsigned n) {
    rdv::endpoint e;
    e.address = 0xc6336401 + (n % SOURCES) / 2;  // two ports an address: the rate limit is per address
    e.port = static_cast<std::uint16_t>(40000 + n % SOURCES);
    return udp_peer(e);
}

// Whether the bytes speak the rendezvous protocol without being a request that carries a cookie the
// server gave `from`.
bool unproven(const std::vector<std::uint8_t>& bytes, const CCheckedSink& sink, const peer& from) {
    if (!rdv::is_rendezvous(bytes.data(), bytes.size()))
        return false;
    rdv::message m;
    return !rdv::decode(bytes.data(), bytes.size(), m) || !rdv::is_request(m.kind) ||
           sink.given.count({peer_key(from), m.proof}) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    server_config config;
    config.max_hosts = 3;
    config.hosts_per_address = 2;
    config.hosts_per_network = 2;
    config.max_relays = 1;
    config.relays_per_address = 1;
    config.max_sources = 8;
    config.join_burst = 4;
    config.message_burst = 6;
    config.code_lifetime_s = 1;
    config.relay_idle_s = 1;
    config.relay_bytes_per_second = 1000;
    config.relay_datagrams_per_second = 10;
    CRendezvous server(config, nullptr);
    CCheckedSink sink;
    std::int64_t now = 1000000;
    std::int64_t next_expiry = now + 1000;
    std::size_t at = 0;
    static const rdv::type KINDS[] = {rdv::REGISTER, rdv::UNREGISTER, rdv::JOIN, rdv::RELAY, rdv::PING};
    while (at + 3 <= size) {
        const unsigned op = data[at];
        sink.sender = source(data[at + 1]);
        now += data[at + 2] * 20;
        at += 3;
        std::vector<std::uint8_t> bytes;
        if (op % 8 < 5) {
            // A request of the harness's making, with the cookie chosen by the next bits: the source's
            // own, none, another source's.
            rdv::message m;
            m.kind = KINDS[op % 8];
            m.code = sink.code.empty() ? "ACDEFG" : sink.code;
            m.token = sink.token;
            const unsigned whose = (op >> 3) % 3;
            const peer owner = whose == 2 ? source(data[at - 2] + 1u) : sink.sender;
            const auto given = sink.cookies.find(peer_key(owner));
            if (whose != 1 && given != sink.cookies.end())
                m.proof = given->second;
            bytes = rdv::encode(m);
        } else {
            const std::size_t length = at < size ? data[at] * (op % 8 == 7 ? 8u : 1u) : 0;
            ++at;
            bytes.assign(data + std::min(at, size), data + std::min(at + length, size));
            at += length;
        }
        sink.heard_from.insert(peer_key(sink.sender));
        const bool checked = unproven(bytes, sink, sink.sender);
        sink.to_sender = sink.to_others = 0;
        server.receive(bytes.data(), bytes.size(), sink.sender, now, sink);
        if (checked && (sink.to_others > 0 || sink.to_sender > bytes.size()))
            abort();
        if (now >= next_expiry) {
            server.expire(now);
            next_expiry = now + 1000;
        }
        if (server.hosts() > config.max_hosts || server.host_records() > config.max_hosts ||
            server.relays() > config.max_relays)
            abort();
    }
    return 0;
}
