#include "rendezvous_end.h"

#include <chrono>

void CRendezvousEnd::send(std::uint16_t port, const rdv::message& m) const {
    rdv::message stamped = m;
    if (rdv::is_request(m.kind)) {
        if (cookie_ == rdv::cookie{}) {
            // The request without a cookie gets one, and nothing else.
            send_raw(port, rdv::encode(stamped));
            rdv::message answer;
            if (receive(answer) && answer.kind == rdv::COOKIE)
                cookie_ = answer.proof;
        }
        stamped.proof = cookie_;
    }
    send_raw(port, rdv::encode(stamped));
}

bool CRendezvousEnd::request(std::uint16_t port, const rdv::message& m, rdv::message& answer,
                             double seconds) const {
    send(port, m);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!receive(answer, seconds))
            return false;
        if (answer.kind != rdv::COOKIE)
            return true;
        cookie_ = answer.proof;
        rdv::message again = m;
        again.proof = cookie_;
        send_raw(port, rdv::encode(again));
    }
    return false;
}

bool CRendezvousEnd::receive(rdv::message& m, double seconds) const {
    std::vector<std::uint8_t> bytes;
    std::uint16_t from = 0;
    return receive_raw(bytes, from, seconds) && rdv::decode(bytes.data(), bytes.size(), m);
}

int CRendezvousEnd::count_arrivals(double seconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int n = 0;
    std::vector<std::uint8_t> bytes;
    std::uint16_t from = 0;
    for (;;) {
        const double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !receive_raw(bytes, from, left))
            return n;
        ++n;
    }
}

rdv::message rdv_message(rdv::type kind) {
    rdv::message m;
    m.kind = kind;
    return m;
}
