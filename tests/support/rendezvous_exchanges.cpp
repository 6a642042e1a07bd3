#include "rendezvous_exchanges.h"

server_config roomy() {
    server_config c;
    c.joins_per_second = 1000;
    c.join_burst = 1000;
    c.messages_per_second = 1000;
    c.message_burst = 1000;
    c.hosts_per_address = 1000;
    c.hosts_per_network = 1000;
    c.relays_per_address = 1000;
    c.relays_per_network = 1000;
    return c;
}

rdv::endpoint ep(std::uint32_t address, std::uint16_t port) {
    rdv::endpoint e;
    e.address = address;
    e.port = port;
    return e;
}

std::string registered(const CRendezvousSide& host, std::uint16_t server, const rdv::message& m) {
    host.send(server, m);
    rdv::message answer;
    if (!host.receive(answer) || answer.kind != rdv::REGISTERED)
        return "";
    return answer.code;
}

std::string registered(const CRendezvousSide& host, std::uint16_t server) {
    return registered(host, server, rdv_message(rdv::REGISTER));
}

rdv::message join(const std::string& code) {
    rdv::message m = rdv_message(rdv::JOIN);
    m.code = code;
    return m;
}

rdv::message with_token(rdv::type kind, std::uint64_t token) {
    rdv::message m = rdv_message(kind);
    m.token = token;
    return m;
}

rdv::message answer_to(const CRendezvousSide& side, std::uint16_t server, const rdv::message& m) {
    side.send(server, m);
    rdv::message answer;
    if (!side.receive(answer))
        answer = rdv_message(rdv::UNREGISTER);
    return answer;
}

bool both_told(const CRendezvousSide& one, const CRendezvousSide& other, rdv::type kind, rdv::message& a,
               rdv::message& b) {
    return one.receive(a) && other.receive(b) && a.kind == kind && b.kind == kind && a.token == b.token;
}

std::uint64_t introduced(const CRendezvousSide& host, const CRendezvousSide& joiner, std::uint16_t server) {
    const std::string code = registered(host, server);
    if (code.empty())
        return 0;
    joiner.send(server, join(code));
    rdv::message to_host;
    rdv::message to_joiner;
    return both_told(host, joiner, rdv::INTRODUCE, to_host, to_joiner) ? to_host.token : 0;
}

bool relayed(const CRendezvousSide& host, const CRendezvousSide& joiner, std::uint16_t server) {
    const std::uint64_t token = introduced(host, joiner, server);
    if (token == 0)
        return false;
    host.send(server, with_token(rdv::RELAY, token));
    joiner.send(server, with_token(rdv::RELAY, token));
    rdv::message a;
    rdv::message b;
    return both_told(host, joiner, rdv::RELAYING, a, b) && a.token == token;
}

bool forwarded(const CRendezvousSide& from, const CRendezvousSide& to, std::uint16_t server,
               const std::vector<std::uint8_t>& bytes) {
    from.send_raw(server, bytes);
    std::vector<std::uint8_t> got;
    std::uint16_t source = 0;
    return to.receive_raw(got, source, 0.5) && source == server && got == bytes;
}

const std::vector<std::uint8_t> GAME_DATAGRAM(60, 0x42);
