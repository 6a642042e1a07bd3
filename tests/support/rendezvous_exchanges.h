#pragma once

// The exchanges a test has with a rendezvous server through its sides: register, join, relay, and
// whether a datagram is forwarded, each waiting a bounded time for its answer.
#include <cstdint>
#include <string>
#include <vector>

#include "rendezvous_side.h"
#include "server/server_config.h"

// Every side of a test shares 127.0.0.1 (or a few loopback addresses): limits per address wide enough
// for all of them, unless a test is about those limits.
server_config roomy();

rdv::endpoint ep(std::uint32_t address, std::uint16_t port);

// Registers `host` and gives its code, or "" when no code came.
std::string registered(const CRendezvousSide& host, std::uint16_t server, const rdv::message& m);
std::string registered(const CRendezvousSide& host, std::uint16_t server);

rdv::message join(const std::string& code);
rdv::message with_token(rdv::type kind, std::uint64_t token);

// The answer to a request; UNREGISTER, which the server never sends, when none came.
rdv::message answer_to(const CRendezvousSide& side, std::uint16_t server, const rdv::message& m);

// Whether both sides were told a message of `kind` with one token; what they were told in `a` and `b`.
bool both_told(const CRendezvousSide& one, const CRendezvousSide& other, rdv::type kind, rdv::message& a,
               rdv::message& b);

// Introduces a joiner to a host; gives the token both were told.
std::uint64_t introduced(const CRendezvousSide& host, const CRendezvousSide& joiner, std::uint16_t server);

// A pair relayed by the server; false when either side was not told RELAYING.
bool relayed(const CRendezvousSide& host, const CRendezvousSide& joiner, std::uint16_t server);

// Whether `bytes` sent by `from` to the server arrive at `to`, coming from the server's port.
bool forwarded(const CRendezvousSide& from, const CRendezvousSide& to, std::uint16_t server,
               const std::vector<std::uint8_t>& bytes);

extern const std::vector<std::uint8_t> GAME_DATAGRAM;
