#pragma once

// What the rendezvous server is told at start: where it listens and the limits its tables are sized
// from. Read from `key = value` lines and from the command line, the latter winning.
#include <cstdint>
#include <string>

#include "net/rendezvous_message.h"

struct server_config {
    std::uint32_t address = 0;  // host byte order; 0: every interface
    std::uint16_t port = rdv::DEFAULT_PORT;
    std::uint32_t max_hosts = 10000;
    std::uint32_t hosts_per_address = 4;
    std::uint32_t hosts_per_network = 32;  // per /24
    std::uint32_t max_relays = 500;
    std::uint32_t relays_per_address = 4;
    std::uint32_t relays_per_network = 16;
    std::uint32_t relay_bytes_per_second = 64 * 1024;  // each way, per pair, headers included
    std::uint32_t relay_datagrams_per_second = 200;    // each way, per pair
    std::uint32_t joins_per_second = 5;                // REGISTER and JOIN, per source address
    std::uint32_t join_burst = 20;
    std::uint32_t messages_per_second = 20;  // every request, per source address
    std::uint32_t message_burst = 40;
    std::uint32_t max_sources = 65536;   // source addresses the rate limiter tells apart at once
    std::uint32_t code_lifetime_s = 30;  // a host's place without a keep-alive
    std::uint32_t relay_idle_s = 30;
    std::uint32_t log_lines_per_second = 10;  // of one kind of event, before they are summed up
};

// Sets one key from its text; false with a reason for an unknown key or a value out of its range.
bool set_config_value(server_config& config, const std::string& key, const std::string& value,
                      std::string& error);
// Every line `key = value`, blank or a '#' comment; false on the first other line, with
// "FILE:LINE: reason" in `error`.
bool read_config_file(server_config& config, const std::string& path, std::string& error);
// The keys, one a line with their range and default, for --help and the manual.
std::string config_keys_text();
