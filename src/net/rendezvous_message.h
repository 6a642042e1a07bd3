#pragma once

// The rendezvous protocol between the game and the rendezvous server, and between the two sides
// while they punch through their NATs. Datagrams start with 'Z' 'V' 'R' and the version, so that
// the game can tell them from its transport's own on the same socket; numbers are little-endian.
// Every request to the server carries a cookie: the server answers a request whose cookie does not
// prove its source with a COOKIE no larger than the request, and acts only on proven requests.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rdv {

constexpr std::uint8_t VERSION = 2;
constexpr std::size_t MAX_DATAGRAM = 1500;  // the server relays/reads nothing larger
constexpr std::size_t MAX_MESSAGE = 256;    // no rendezvous message is larger
constexpr std::size_t CODE_LENGTH = 6;
constexpr int MAX_ENDPOINTS = 4;  // local endpoints a side may announce
constexpr std::uint16_t DEFAULT_PORT = 24817;
constexpr std::size_t COOKIE_BYTES = 16;
// Code alphabet: no look-alikes (no 0/O, 1/I/L, 2/Z, 5/S, 8/B): 25 symbols, 25^6 = 244 million codes.
constexpr char CODE_ALPHABET[] = "34679ACDEFGHJKMNPQRTUVWXY";

struct endpoint {
    std::uint32_t address = 0;  // host byte order, a.b.c.d = a<<24|...
    std::uint16_t port = 0;
    bool operator==(const endpoint& o) const { return address == o.address && port == o.port; }
    bool operator!=(const endpoint& o) const { return !(*this == o); }
};
using cookie = std::array<std::uint8_t, COOKIE_BYTES>;  // all zero: none yet

std::string to_string(const endpoint&);                       // "a.b.c.d:port"
bool parse_endpoint(const std::string& text, endpoint& out);  // "a.b.c.d:port", numbers only

// The requests (REGISTER, UNREGISTER, JOIN, RELAY, PING) start with the cookie.
enum type : std::uint8_t {
    REGISTER = 1,    // host -> server: locals, mapped (0:0 if none). Sent again as keep-alive.
    REGISTERED = 2,  // server -> host: code, seen (the host's public endpoint as the server saw it),
                     //   lifetime_s (without a keep-alive), a fresh cookie
    UNREGISTER = 3,  // host -> server: the code is gone now
    JOIN = 4,        // joiner -> server: code, locals
    INTRODUCE = 5,   // server -> both: token, seen (the other side's public endpoint), locals and mapped of
                     //   the other side, role (0: you host, 1: you join)
    PUNCH = 6,       // side -> side: token, ack (0: probe, 1: answer to a probe)
    RELAY = 7,       // side -> server: token: punching failed, relay us
    RELAYING = 8,    // server -> side: token: the server now forwards this pair's other datagrams
    REFUSED = 9,     // server -> side: reason (1 unknown or expired code, 2 too many requests, 3 server full,
                     //   4 another version: see is_version_refusal)
    PING = 10,       // side -> server: nonce (for the round trip while relayed, and keep-alive)
    PONG = 11,       // server -> side: nonce
    COOKIE = 12,     // server -> side: cookie, to send again with the request it answers
};
enum reason : std::uint8_t { UNKNOWN_CODE = 1, TOO_MANY = 2, SERVER_FULL = 3, OTHER_VERSION = 4 };

struct message {
    type kind = PING;
    std::string code;              // REGISTERED, JOIN: CODE_LENGTH symbols of CODE_ALPHABET
    endpoint seen;                 // REGISTERED, INTRODUCE
    endpoint mapped;               // REGISTER, INTRODUCE (0:0: none)
    std::vector<endpoint> locals;  // REGISTER, JOIN, INTRODUCE: at most MAX_ENDPOINTS
    std::uint64_t token = 0;       // INTRODUCE, PUNCH, RELAY, RELAYING
    std::uint8_t role = 0;         // INTRODUCE
    std::uint8_t ack = 0;          // PUNCH
    std::uint8_t reason = 0;       // REFUSED
    std::uint16_t lifetime_s = 0;  // REGISTERED
    std::uint32_t nonce = 0;       // PING, PONG
    cookie proof{};                // the requests, REGISTERED, COOKIE
};

// The messages a side sends the server, which carry a cookie.
bool is_request(type kind);

// True when the datagram starts with the rendezvous prefix (any version): not for the game's transport.
bool is_rendezvous(const std::uint8_t* data, std::size_t size);
// Only the fields of the message's type are written. A code that is not CODE_LENGTH symbols, or more
// than MAX_ENDPOINTS locals, give bytes that decode refuses.
std::vector<std::uint8_t> encode(const message& m);
// Exactly one well-formed message of this version, or false (nothing of `out` to be trusted).
bool decode(const std::uint8_t* data, std::size_t size, message& out);
// The refusal the server sends a datagram of another version, in the same six bytes whatever the
// versions: "ZVR", the server's version, REFUSED, OTHER_VERSION. A sender of the first version, which
// knows no such reason, is told SERVER_FULL in its own version instead: the one refusal it shows that
// ends its attempt. Never larger than a request of any version.
std::vector<std::uint8_t> encode_version_refusal(std::uint8_t their_version);
// Whether a datagram is such a refusal from a server of another version; that version in `version`.
bool is_version_refusal(const std::uint8_t* data, std::size_t size, std::uint8_t& version);
// Codes are typed by people: upper-cases, drops spaces and dashes; false if not CODE_LENGTH symbols of
// the alphabet.
bool normalize_code(const std::string& typed, std::string& code);

}  // namespace rdv
