#include "net/link.h"

#include "net/connect_cookie.h"

// The browser's transport. A page has no UDP socket; its datagrams can reach the other side through the
// rendezvous server (websocket_datagrams.h), but the other side speaks ENet over them, and this build has
// no ENet to speak it with. Until it has, every attempt to listen or connect says so, and nothing arrives.
namespace {
const char* const NO_TRANSPORT = "network play is not in the browser version yet";
}

CNetLink::CNetLink() = default;

CNetLink::~CNetLink() = default;

bool CNetLink::listen(std::uint16_t, int, std::string& error, const char*) {
    error = NO_TRANSPORT;
    return false;
}

void CNetLink::vouch(int) {}

void CNetLink::admit_only(std::vector<rdv::endpoint>) {}

bool CNetLink::open(std::uint16_t, std::string& error, const char*) {
    error = NO_TRANSPORT;
    return false;
}

bool CNetLink::connect(const std::string&, std::uint16_t, std::string& error) {
    error = NO_TRANSPORT;
    return false;
}

CNetLink::event CNetLink::service(int) {
    return {};
}

// No port to read, and a browser's turns never wait.
void CNetLink::rest(int) {}

bool CNetLink::send(int, const std::vector<std::uint8_t>&, delivery) {
    return false;
}

void CNetLink::disconnect(int) {}

void CNetLink::drop(int) {}

void CNetLink::shut_down(int) {}

void CNetLink::flush() {}

void CNetLink::on_rendezvous(datagram_handler handler) {
    rendezvous_ = std::move(handler);
}

bool CNetLink::send_datagram(const rdv::endpoint&, const std::vector<std::uint8_t>&, int) {
    return false;
}

std::uint16_t CNetLink::port() const {
    return 0;
}

std::string CNetLink::peer_address(int) const {
    return "";
}

std::uint32_t CNetLink::round_trip_ms(int) const {
    return 0;
}

std::vector<std::string> CNetLink::local_addresses() {
    return {};
}

bool CNetLink::available() {
    return false;
}
