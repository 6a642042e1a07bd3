#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Numbers as bytes, for files and messages: fixed widths little-endian first, and varints of seven bits
// a byte, low first, the high bit saying another byte follows.
class CByteWriter {
  public:
    std::string bytes;

    void byte(unsigned v) { bytes.push_back(static_cast<char>(v & 0xff)); }
    void fixed(std::uint64_t v, int size);
    void varint(std::uint64_t v);
};

// Reads within [from, to) of `data`. A read past the end or a malformed value sets `bad`, which stays set;
// every read then yields zero.
class CByteReader {
  public:
    CByteReader(const void* data, std::size_t from, std::size_t to)
        : data_(static_cast<const unsigned char*>(data)), pos_(from), end_(to) {}

    bool bad = false;

    std::size_t left() const { return end_ - pos_; }
    unsigned byte();
    std::uint64_t fixed(int size);
    // Only numbers as the writer writes them: no bits beyond 64, no zero byte ending a longer number.
    std::uint64_t varint();
    std::string text(std::size_t size);

  private:
    const unsigned char* data_;
    std::size_t pos_;
    std::size_t end_;
};
