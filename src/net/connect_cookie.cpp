#include "net/connect_cookie.h"

#include <sodium.h>

#include <cstring>

namespace {

// Never the start of an ENet datagram a peer of ours sends (peer 0xffe is beyond any host's places)
// nor of a rendezvous message.
constexpr std::uint8_t MAGIC[4] = {0x0f, 0xfe, 'Z', 'C'};
constexpr std::uint8_t ASK = 1;
constexpr std::uint8_t ANSWER = 2;

void put32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::uint32_t get32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) << 24 | static_cast<std::uint32_t>(in[1]) << 16 |
           static_cast<std::uint32_t>(in[2]) << 8 | in[3];
}

std::vector<std::uint8_t> datagram(std::uint8_t kind, std::uint32_t value) {
    std::vector<std::uint8_t> out(CConnectCookies::DATAGRAM_SIZE);
    std::memcpy(out.data(), MAGIC, sizeof MAGIC);
    out[4] = kind;
    put32(out.data() + 5, value);
    return out;
}

}  // namespace

CConnectCookies::CConnectCookies() {
    // Idempotent and safe from any thread; a failure leaves the generator libsodium falls back on.
    if (sodium_init() < 0)
        std::memset(key_, 0, sizeof key_);
    randombytes_buf(key_, sizeof key_);
}

std::vector<std::uint8_t> CConnectCookies::ask() {
    return datagram(ASK, 0);
}

bool CConnectCookies::is_cookie_datagram(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof MAGIC && std::memcmp(data, MAGIC, sizeof MAGIC) == 0;
}

bool CConnectCookies::is_ask(const std::uint8_t* data, std::size_t size) {
    return size == DATAGRAM_SIZE && is_cookie_datagram(data, size) && data[4] == ASK;
}

bool CConnectCookies::read_answer(const std::uint8_t* data, std::size_t size, std::uint32_t& cookie) {
    if (size != DATAGRAM_SIZE || !is_cookie_datagram(data, size) || data[4] != ANSWER)
        return false;
    cookie = get32(data + 5);
    return true;
}

std::uint32_t CConnectCookies::cookie(std::uint32_t address, std::uint16_t port, std::uint32_t period) const {
    std::uint8_t message[10];
    put32(message, address);
    message[4] = static_cast<std::uint8_t>(port >> 8);
    message[5] = static_cast<std::uint8_t>(port);
    put32(message + 6, period);
    unsigned char mac[crypto_shorthash_BYTES];
    crypto_shorthash(mac, message, sizeof message, key_);
    return get32(mac);
}

std::vector<std::uint8_t> CConnectCookies::answer(std::uint32_t address, std::uint16_t port,
                                                  std::uint32_t now_ms) const {
    return datagram(ANSWER, cookie(address, port, now_ms / 1000 / PERIOD_S));
}

bool CConnectCookies::valid(std::uint32_t address, std::uint16_t port, std::uint32_t cookie_given,
                            std::uint32_t now_ms) const {
    const std::uint32_t period = now_ms / 1000 / PERIOD_S;
    return cookie_given == cookie(address, port, period) || cookie_given == cookie(address, port, period - 1);
}
