#include "game/netplay/network_address.h"
#include "general/echoed_text.h"

bool parse_port(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long value = std::stol(text);
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool parse_port(const std::string& text, std::uint16_t& port, std::string& error) {
    if (parse_port(text, port))
        return true;
    error = echoed(text) + " is not a port: type a number from 1 to 65535";
    return false;
}

namespace {

// What a player who typed something unusable is told to type instead.
std::string what_to_type(std::uint16_t usual_port) {
    return "type the host's address or name, then :port if the port is not " + std::to_string(usual_port) +
           ", for example 192.168.1.20 or example.org:4000";
}

}  // namespace

bool parse_address(const std::string& text, std::string& host, std::uint16_t& port, std::string& error) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    if (name.empty()) {
        error = (text.empty() ? "No address yet: " : "No host before the colon; ") + what_to_type(port);
        return false;
    }
    if (name.find_first_of(" \t") != std::string::npos) {
        error = "An address has no spaces; " + what_to_type(port);
        return false;
    }
    std::uint16_t p = port;
    if (colon != std::string::npos && !parse_port(text.substr(colon + 1), p)) {
        error = "The port after the colon must be a number from 1 to 65535, for example " + name + ":" +
                std::to_string(port);
        return false;
    }
    host = name;
    port = p;
    return true;
}
