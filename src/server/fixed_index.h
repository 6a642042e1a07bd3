#pragma once

// A map from 64-bit keys to slot numbers whose capacity is fixed when it is made: open addressing,
// linear probing, and deletion by shifting back, so that no tombstones pile up. Keys are mixed with a
// secret salt, so that no sender can choose keys that fall into one run of the table.
#include <cstddef>
#include <cstdint>
#include <vector>

class CFixedIndex {
  public:
    CFixedIndex(std::size_t capacity, std::uint64_t salt);

    bool find(std::uint64_t key, std::uint32_t& value) const;
    // Sets the key's value; false when the key is new and `capacity` keys are held already.
    bool insert(std::uint64_t key, std::uint32_t value);
    void erase(std::uint64_t key);
    std::size_t size() const { return size_; }
    std::size_t bytes() const { return cells_.size() * sizeof(cell); }

  private:
    struct cell {
        std::uint64_t key = 0;
        std::uint32_t value = 0;
        bool used = false;
    };
    std::size_t home(std::uint64_t key) const;

    std::vector<cell> cells_;
    std::size_t mask_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    std::uint64_t salt_;
};
