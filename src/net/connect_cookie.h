#pragma once

// Before a listening host gives anyone a place, the sender must show that it receives at the address
// it sends from: it asks for a cookie, which the host computes from that address and a secret and
// keeps nowhere, and puts the cookie in its connection request (ENet's connect data). A request from a
// forged address never holds a place, as in DTLS and QUIC. Both datagrams have the same size, so the
// answer never amplifies what a stranger sends.
#include <cstddef>
#include <cstdint>
#include <vector>

class CConnectCookies {
  public:
    static constexpr std::size_t DATAGRAM_SIZE = 9;
    // A cookie is good for this many seconds at least, twice as long at most.
    static constexpr std::uint32_t PERIOD_S = 16;

    // A fresh secret of its own.
    CConnectCookies();

    // The datagram that asks a host for a cookie.
    static std::vector<std::uint8_t> ask();
    static bool is_cookie_datagram(const std::uint8_t* data, std::size_t size);
    static bool is_ask(const std::uint8_t* data, std::size_t size);
    // The cookie in a host's answer; false for anything else.
    static bool read_answer(const std::uint8_t* data, std::size_t size, std::uint32_t& cookie);

    // The host's answer to an ask from `address`:`port` (host byte order), at `now_ms` on any clock.
    std::vector<std::uint8_t> answer(std::uint32_t address, std::uint16_t port, std::uint32_t now_ms) const;
    // Whether `cookie` is one this host gave that address and port, now or in the period before.
    bool valid(std::uint32_t address, std::uint16_t port, std::uint32_t cookie, std::uint32_t now_ms) const;

  private:
    std::uint32_t cookie(std::uint32_t address, std::uint16_t port, std::uint32_t period) const;

    unsigned char key_[16];
};
