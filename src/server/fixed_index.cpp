#include "server/fixed_index.h"

namespace {

std::size_t table_size(std::size_t capacity) {
    // At most half full: probes stay short.
    std::size_t n = 16;
    while (n < 2 * capacity)
        n *= 2;
    return n;
}

}  // namespace

CFixedIndex::CFixedIndex(std::size_t capacity, std::uint64_t salt)
    : cells_(table_size(capacity)), mask_(cells_.size() - 1), capacity_(capacity), salt_(salt) {}

std::size_t CFixedIndex::home(std::uint64_t key) const {
    std::uint64_t z = key ^ salt_;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return static_cast<std::size_t>((z + salt_ * 0x9e3779b97f4a7c15ULL) & mask_);
}

bool CFixedIndex::find(std::uint64_t key, std::uint32_t& value) const {
    for (std::size_t i = home(key);; i = (i + 1) & mask_) {
        const cell& c = cells_[i];
        if (!c.used)
            return false;
        if (c.key == key) {
            value = c.value;
            return true;
        }
    }
}

bool CFixedIndex::insert(std::uint64_t key, std::uint32_t value) {
    std::size_t i = home(key);
    for (; cells_[i].used; i = (i + 1) & mask_) {
        if (cells_[i].key == key) {
            cells_[i].value = value;
            return true;
        }
    }
    if (size_ == capacity_)
        return false;
    cells_[i].used = true;
    cells_[i].key = key;
    cells_[i].value = value;
    ++size_;
    return true;
}

void CFixedIndex::erase(std::uint64_t key) {
    std::size_t i = home(key);
    for (; cells_[i].key != key; i = (i + 1) & mask_)
        if (!cells_[i].used)
            return;
    if (!cells_[i].used)
        return;
    // Pull back every later cell of the run that may sit at the emptied one.
    for (std::size_t j = (i + 1) & mask_; cells_[j].used; j = (j + 1) & mask_) {
        const std::size_t h = home(cells_[j].key);
        const bool reachable = i <= j ? (h <= i || h > j) : (h <= i && h > j);
        if (reachable) {
            cells_[i] = cells_[j];
            i = j;
        }
    }
    cells_[i] = cell();
    --size_;
}
