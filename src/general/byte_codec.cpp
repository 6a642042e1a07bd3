#include "general/byte_codec.h"

void CByteWriter::fixed(std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i)
        byte(static_cast<unsigned>(v >> (8 * i)));
}

void CByteWriter::varint(std::uint64_t v) {
    while (v >= 0x80) {
        byte(static_cast<unsigned>(v) | 0x80);
        v >>= 7;
    }
    byte(static_cast<unsigned>(v));
}

unsigned CByteReader::byte() {
    if (bad || pos_ >= end_) {
        bad = true;
        return 0;
    }
    return data_[pos_++];
}

std::uint64_t CByteReader::fixed(int size) {
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v |= static_cast<std::uint64_t>(byte()) << (8 * i);
    return bad ? 0 : v;
}

std::uint64_t CByteReader::varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        const unsigned b = byte();
        if (shift == 63 && b > 1)
            break;
        v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
        if (b & 0x80)
            continue;
        if (b == 0 && shift > 0)
            break;
        return bad ? 0 : v;
    }
    bad = true;
    return 0;
}

std::string CByteReader::text(std::size_t size) {
    if (bad || size > left()) {
        bad = true;
        return std::string();
    }
    std::string t(reinterpret_cast<const char*>(data_ + pos_), size);
    pos_ += size;
    return t;
}
