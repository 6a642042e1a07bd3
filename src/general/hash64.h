#pragma once

#include <cstddef>
#include <cstdint>

// FNV-1a over 64 bits: a small, stable hash of a byte stream. Values go in as little-endian bytes and
// floats as their bit patterns, so the result does not depend on padding or on how a value was stored.
class CHash64 {
  public:
    void bytes(const void* data, std::size_t size);
    void add(std::uint64_t v);
    void add(std::uint32_t v);
    void add(int v);
    void add(float v);
    void add(bool v);
    std::uint64_t result() const { return state; }

  private:
    std::uint64_t state = 14695981039346656037ull;
};
