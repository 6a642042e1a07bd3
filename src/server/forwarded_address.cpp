#include "server/forwarded_address.h"

#include <arpa/inet.h>

#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t IPV6_BLOCK = 0xf0000000u;  // 240.0.0.0/4

std::uint64_t mixed(std::uint64_t v, std::uint64_t salt) {
    std::uint64_t z = v ^ salt;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t prefix_of(const unsigned char* bytes, int octets) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = v << 8 | (i < octets ? bytes[i] : 0);
    return v;
}

}  // namespace

bool forwarded_address(const char* header, std::size_t size, std::uint64_t salt, std::uint32_t& address) {
    std::size_t end = size;
    while (end > 0 && (header[end - 1] == ' ' || header[end - 1] == '\t'))
        --end;
    std::size_t start = end;
    while (start > 0 && header[start - 1] != ',')
        --start;
    while (start < end && (header[start] == ' ' || header[start] == '\t'))
        ++start;
    if (start == end || end - start > INET6_ADDRSTRLEN)
        return false;
    const std::string text(header + start, end - start);
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        address = ntohl(v4.s_addr);
        return true;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) != 1)
        return false;
    const unsigned char* b = v6.s6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        address = static_cast<std::uint32_t>(b[12]) << 24 | static_cast<std::uint32_t>(b[13]) << 16 |
                  static_cast<std::uint32_t>(b[14]) << 8 | b[15];
        return true;
    }
    const std::uint32_t network = static_cast<std::uint32_t>(mixed(prefix_of(b, 6), salt) & 0xfffff);
    const std::uint32_t host = static_cast<std::uint32_t>(mixed(prefix_of(b, 8), salt + 1) & 0xff);
    address = IPV6_BLOCK | network << 8 | host;
    return true;
}
