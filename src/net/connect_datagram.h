#pragma once

// Whether a raw datagram asks a host for a new ENet connection: sent from no peer yet, its first
// command a connect. Read before ENet reads it, so that a host can make room for it.
#include <cstddef>
#include <cstdint>

bool is_connect_request(const std::uint8_t* data, std::size_t size);
// A connect request's connection id and the data its sender put in it (the cookie); false when the
// datagram is too short to hold them.
bool connect_fields(const std::uint8_t* data, std::size_t size, std::uint32_t& connect_id,
                    std::uint32_t& data_field);
