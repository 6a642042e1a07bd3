#pragma once

// A host name or dotted address turned into an IPv4 address, as the rendezvous protocol carries it.
#include <cstdint>
#include <string>

#include "net/rendezvous_message.h"

// False, with `error` for a player, when the name has no IPv4 address. May wait for the resolver.
bool look_up_host(const std::string& host, std::uint16_t port, rdv::endpoint& out, std::string& error);
