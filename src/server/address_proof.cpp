#include "server/address_proof.h"

#include <sodium.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t WINDOW_BYTES = 4;

void put_u32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t get_u32(const std::uint8_t* at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

}  // namespace

CAddressProof::CAddressProof(std::int64_t window_ms) : window_ms_(window_ms) {
    static_assert(sizeof key_ == crypto_shorthash_siphashx24_KEYBYTES, "SipHash-2-4 takes a 128-bit key");
    if (sodium_init() < 0) {
        // Cookies anyone could forge would prove nothing: better no server.
        std::fputs("zelvorant-server: libsodium cannot start\n", stderr);
        std::abort();
    }
    randombytes_buf(key_, sizeof key_);
}

rdv::cookie CAddressProof::sealed(std::uint32_t window, const peer& from) const {
    unsigned char input[15];
    put_u32(input, window);
    input[4] = static_cast<unsigned char>(from.via);
    put_u32(input + 5, from.at.address);
    input[9] = static_cast<unsigned char>(from.at.port);
    input[10] = static_cast<unsigned char>(from.at.port >> 8);
    put_u32(input + 11, from.link);
    unsigned char hash[crypto_shorthash_siphashx24_BYTES];
    crypto_shorthash_siphashx24(hash, input, sizeof input, key_);
    rdv::cookie c{};
    std::memcpy(c.data(), input, WINDOW_BYTES);
    std::memcpy(c.data() + WINDOW_BYTES, hash, c.size() - WINDOW_BYTES);
    return c;
}

rdv::cookie CAddressProof::make(const peer& from, std::int64_t now_ms) const {
    return sealed(static_cast<std::uint32_t>(now_ms / window_ms_), from);
}

bool CAddressProof::proves(const rdv::cookie& c, const peer& from, std::int64_t now_ms) const {
    const std::uint32_t now = static_cast<std::uint32_t>(now_ms / window_ms_);
    const std::uint32_t window = get_u32(c.data());
    if (window != now && window + 1 != now)
        return false;
    const rdv::cookie expected = sealed(window, from);
    return sodium_memcmp(expected.data(), c.data(), c.size()) == 0;
}
