#include "server/server_config.h"

#include <cstddef>
#include <fstream>

namespace {

struct key_entry {
    const char* name;
    std::uint32_t server_config::*field;
    std::uint32_t low;
    std::uint32_t high;
    const char* help;
};

// Bounds keep the tables' memory within reach and the timers within what the messages carry.
const key_entry KEYS[] = {
    {"max_hosts", &server_config::max_hosts, 1, 1000000, "hosts registered at once"},
    {"hosts_per_address", &server_config::hosts_per_address, 1, 1000000,
     "hosts registered at once per address"},
    {"hosts_per_network", &server_config::hosts_per_network, 1, 1000000,
     "hosts registered at once per /24 network"},
    {"max_relays", &server_config::max_relays, 0, 100000, "relayed pairs at once"},
    {"relays_per_address", &server_config::relays_per_address, 1, 100000,
     "relayed pairs at once per address"},
    {"relays_per_network", &server_config::relays_per_network, 1, 100000,
     "relayed pairs at once per /24 network"},
    {"relay_bytes_per_second", &server_config::relay_bytes_per_second, 1000, 100000000,
     "relayed bytes a second each way of a pair, with 28 of headers a datagram"},
    {"relay_datagrams_per_second", &server_config::relay_datagrams_per_second, 10, 1000000,
     "relayed datagrams a second, each way of a pair"},
    {"joins_per_second", &server_config::joins_per_second, 1, 10000,
     "registrations and joins a second per address"},
    {"join_burst", &server_config::join_burst, 1, 100000, "registrations and joins at once per address"},
    {"messages_per_second", &server_config::messages_per_second, 1, 100000,
     "requests of any kind a second per proven address"},
    {"message_burst", &server_config::message_burst, 1, 100000, "requests of any kind at once per address"},
    {"max_sources", &server_config::max_sources, 8, 10000000, "addresses the rate limits follow at once"},
    {"code_lifetime_s", &server_config::code_lifetime_s, 3, 65535,
     "seconds a host's code lives without a keep-alive (hosts send one every third of it, at most every 10 "
     "s)"},
    {"relay_idle_s", &server_config::relay_idle_s, 1, 3600, "seconds a quiet relay lives"},
    {"log_lines_per_second", &server_config::log_lines_per_second, 1, 100000,
     "log lines a second of one kind of event, the rest summed up"},
};

bool read_number(const std::string& text, std::uint64_t& out) {
    if (text.empty() || text.size() > 10)
        return false;
    out = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

std::string trimmed(const std::string& s) {
    const std::size_t from = s.find_first_not_of(" \t\r");
    if (from == std::string::npos)
        return std::string();
    return s.substr(from, s.find_last_not_of(" \t\r") - from + 1);
}

}  // namespace

bool set_config_value(server_config& config, const std::string& key, const std::string& value,
                      std::string& error) {
    std::uint64_t n = 0;
    if (key == "address") {
        rdv::endpoint e;
        if (!rdv::parse_endpoint(value + ":0", e)) {
            error = "address: not an IPv4 address a.b.c.d: " + value;
            return false;
        }
        config.address = e.address;
        return true;
    }
    if (key == "port") {
        if (!read_number(value, n) || n > 65535) {
            error = "port: not a number from 0 to 65535: " + value;
            return false;
        }
        config.port = static_cast<std::uint16_t>(n);
        return true;
    }
    for (const key_entry& k : KEYS) {
        if (key != k.name)
            continue;
        if (!read_number(value, n) || n < k.low || n > k.high) {
            error = key + ": not a number from " + std::to_string(k.low) + " to " + std::to_string(k.high) +
                    ": " + value;
            return false;
        }
        config.*k.field = static_cast<std::uint32_t>(n);
        return true;
    }
    error = key + ": unknown key";
    return false;
}

bool read_config_file(server_config& config, const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#')
            continue;
        const std::size_t equals = text.find('=');
        std::string reason;
        if (equals == std::string::npos)
            reason = "not a line key = value";
        else if (set_config_value(config, trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1)),
                                  reason))
            continue;
        error = path + ":" + std::to_string(number) + ": " + reason;
        return false;
    }
    return true;
}

std::string config_keys_text() {
    const server_config defaults;
    std::string text =
        "  address                     IPv4 address to listen on (default 0.0.0.0: every one)\n"
        "  port                        UDP port, 0 to 65535 (default " +
        std::to_string(defaults.port) + ")\n";
    for (const key_entry& k : KEYS) {
        std::string left = std::string("  ") + k.name;
        left.resize(30, ' ');
        text += left + k.help + ", " + std::to_string(k.low) + " to " + std::to_string(k.high) +
                " (default " + std::to_string(defaults.*k.field) + ")\n";
    }
    return text;
}
