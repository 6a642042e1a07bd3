// Whatever arrives, from the server's address or any other, a host's and a joiner's rendezvous client
// stay within their bounds: they never send more than a round of probes and answers at a time, and they
// end every attempt within their time limits.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/rendezvous_client.h"

namespace {

const rdv::endpoint SERVER{0xc6336401, 24817};
const rdv::endpoint STRANGER{0xc0000299, 4000};

// The longest the client may take without a word from anyone once asked to find its way.
constexpr double LONGEST =
    CRendezvousClient::SERVER_LIMIT + CRendezvousClient::PUNCH_LIMIT + CRendezvousClient::RELAY_LIMIT + 1;

void drive(bool hosting, const uint8_t* data, size_t size) {
    int sent = 0;
    CRendezvousClient client(SERVER, {rdv::endpoint{0xc0a80002, 24816}},
                             [&sent](const rdv::endpoint&, const std::vector<std::uint8_t>& d) {
                                 if (d.empty() || d.size() > rdv::MAX_MESSAGE)
                                     abort();
                                 ++sent;
                             });
    double now = 0;
    if (hosting)
        client.host({}, now);
    else if (!client.join("ACDEFG", now))
        abort();
    // Each datagram: who sent it (odd: a stranger), its length, its bytes.
    size_t at = 0;
    while (at + 2 <= size) {
        const rdv::endpoint from = data[at] & 1 ? STRANGER : SERVER;
        const size_t length = data[at + 1] < size - at - 2 ? data[at + 1] : size - at - 2;
        client.received(from, data + at + 2, length, now);
        at += 2 + length;
        now += 0.01;
        sent = 0;
        client.poll(now);
        // A probe to each of the other side's addresses (seen, mapped, four locals) is the most at once.
        if (sent > 6 + rdv::MAX_ENDPOINTS)
            abort();
    }
    // Left alone, a joiner is done within its limits; a host keeps its code or has failed.
    for (double end = now + LONGEST; now < end; now += 0.05)
        client.poll(now);
    const CRendezvousClient::phase p = client.state();
    if (!hosting && p != CRendezvousClient::READY && p != CRendezvousClient::FAILED)
        abort();
    if (hosting && p != CRendezvousClient::WAITING && p != CRendezvousClient::READY &&
        p != CRendezvousClient::FAILED)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    drive(true, data, size);
    drive(false, data, size);
    return 0;
}
