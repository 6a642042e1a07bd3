#include "rogue_peer.h"

using namespace netmsg;

CRoguePeer::CRoguePeer(std::uint16_t host_port, const std::string& program, std::uint64_t rules)
    : program_(program), rules_(rules) {
    std::string error;
    gone = !link_.connect("127.0.0.1", host_port, error);
}

void CRoguePeer::service(int milliseconds) {
    for (CNetLink::event e = link_.service(milliseconds); e.kind != CNetLink::NOTHING; e = link_.service(0)) {
        if (e.kind == CNetLink::CONNECTED) {
            peer_ = e.peer;
            message hello;
            hello.type = HELLO;
            hello.program = program_;
            hello.rules = rules_;
            send(hello);
        }
        if (e.kind == CNetLink::DISCONNECTED)
            gone = true;
        message m;
        std::uint8_t version = 0;
        if (e.kind != CNetLink::RECEIVED || decode(e.data.data(), e.data.size(), m, version) != DECODED)
            continue;
        if (m.type == WELCOME)
            welcomed = true;
        if (m.type == REFUSE)
            refusals.push_back(m);
        if (m.type == INPUTS && m.until > host_until) {
            for (const timed_input& in : m.inputs)
                if (in.step >= host_until)
                    host_inputs.push_back(in);
            host_until = m.until;
        }
    }
    link_.flush();
}

void CRoguePeer::send(const message& m, CNetLink::delivery how) {
    link_.send(peer_, encode(m), how);
}

void CRoguePeer::send(const std::vector<std::uint8_t>& bytes) {
    link_.send(peer_, bytes);
}

void CRoguePeer::send_inputs(std::uint32_t from, std::uint32_t until, std::uint32_t ack,
                             const std::vector<timed_input>& inputs) {
    message m;
    m.type = INPUTS;
    m.from = from;
    m.until = until;
    m.ack = ack;
    m.inputs = inputs;
    send(m);
    link_.flush();
}
