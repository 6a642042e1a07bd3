#include "general/hash64.h"

#include <cstring>

void CHash64::bytes(const void* data, std::size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        state ^= p[i];
        state *= 1099511628211ull;
    }
}

void CHash64::add(std::uint64_t v) {
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(v >> (8 * i));
    bytes(b, sizeof b);
}

void CHash64::add(std::uint32_t v) {
    unsigned char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(v >> (8 * i));
    bytes(b, sizeof b);
}

void CHash64::add(int v) {
    add(static_cast<std::uint32_t>(v));
}

void CHash64::add(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    add(bits);
}

void CHash64::add(bool v) {
    const unsigned char b = v ? 1 : 0;
    bytes(&b, 1);
}
