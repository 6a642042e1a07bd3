#include "game/netplay/network_address.h"

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
    error = "not a port (1 to 65535): \"" + text + "\"";
    return false;
}

bool parse_address(const std::string& text, std::string& host, std::uint16_t& port, std::string& error) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    if (name.empty()) {
        error = "no host in \"" + text + "\"";
        return false;
    }
    if (name.find_first_of(" \t") != std::string::npos) {
        error = "a host name has no spaces: \"" + name + "\"";
        return false;
    }
    std::uint16_t p = port;
    if (colon != std::string::npos && !parse_port(text.substr(colon + 1), p, error))
        return false;
    host = name;
    port = p;
    return true;
}
