#pragma once

// How many places of a table (host places, relayed pairs) one address and one network (/24) hold, so
// that a few senders cannot take them all. Counts live in indexes of fixed size: no sender can hold more
// addresses than the table has places.
#include <cstddef>
#include <cstdint>

#include "server/fixed_index.h"

class CQuota {
  public:
    CQuota(std::size_t places, std::uint32_t per_address, std::uint32_t per_network, std::uint64_t salt);

    // Whether one more place may go to `address`.
    bool allows(std::uint32_t address) const;
    // A place goes to `address`; only after allows() said yes.
    void take(std::uint32_t address);
    void give_back(std::uint32_t address);

    std::uint32_t held(std::uint32_t address) const { return count(by_address_, address); }
    std::size_t bytes() const { return by_address_.bytes() + by_network_.bytes(); }

  private:
    static std::uint32_t count(const CFixedIndex& index, std::uint32_t key);
    static void change(CFixedIndex& index, std::uint32_t key, int by);

    std::uint32_t per_address_;
    std::uint32_t per_network_;
    CFixedIndex by_address_;
    CFixedIndex by_network_;
};
