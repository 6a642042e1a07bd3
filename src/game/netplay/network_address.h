#pragma once

#include <cstdint>
#include <string>

// Reading what a player types for a network match: a UDP port, or HOST[:PORT].

// 1 to 65535, digits only.
bool parse_port(const std::string& text, std::uint16_t& port);
// The same, false with `error` saying what is wrong.
bool parse_port(const std::string& text, std::uint16_t& port, std::string& error);
// HOST or HOST:PORT; without a port, `port` keeps the value it came with. False with `error` saying
// what is wrong.
bool parse_address(const std::string& text, std::string& host, std::uint16_t& port, std::string& error);
