#include "server/quota.h"

#include "server/peer.h"

CQuota::CQuota(std::size_t places, std::uint32_t per_address, std::uint32_t per_network, std::uint64_t salt)
    : per_address_(per_address),
      per_network_(per_network),
      by_address_(places, salt),
      by_network_(places, salt * 11 + 5) {}

std::uint32_t CQuota::count(const CFixedIndex& index, std::uint32_t key) {
    std::uint32_t n = 0;
    return index.find(key, n) ? n : 0;
}

void CQuota::change(CFixedIndex& index, std::uint32_t key, int by) {
    const std::uint32_t was = count(index, key);
    if (by < 0 && was == 0)
        return;
    const std::uint32_t n = was + static_cast<std::uint32_t>(by);
    if (n == 0)
        index.erase(key);
    else
        index.insert(key, n);
}

bool CQuota::allows(std::uint32_t address) const {
    return count(by_address_, address) < per_address_ &&
           count(by_network_, network_of(address)) < per_network_;
}

void CQuota::take(std::uint32_t address) {
    change(by_address_, address, 1);
    change(by_network_, network_of(address), 1);
}

void CQuota::give_back(std::uint32_t address) {
    change(by_address_, address, -1);
    change(by_network_, network_of(address), -1);
}
