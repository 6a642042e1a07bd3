#pragma once

// The messages two lockstep peers exchange, and their byte format. Every message starts with a magic
// byte, the protocol version and the message type; numbers are little-endian. Commands are opaque
// bytes here: what they mean is the game's business.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace netmsg {

constexpr std::uint8_t MAGIC = 0x5a;
// 2: an acknowledgement never reaches beyond the sender's own final commands, and every checkpoint
// must be reported.
constexpr std::uint8_t PROTOCOL_VERSION = 2;
constexpr std::size_t MAX_TEXT = 32;     // program version strings
constexpr std::size_t MAX_INPUTS = 200;  // inputs in one message

enum message_type : std::uint8_t {
    HELLO = 1,       // joining player: who I am
    WELCOME = 2,     // host: accepted; who I am and the input delay
    REFUSE = 3,      // host: not accepted, and why
    INPUTS = 4,      // my inputs for the steps from `from` to before `until`: these, and no others
    STATE_HASH = 5,  // my board after `step` steps
    NEXT_MATCH = 6,  // I am ready for the next match
    LEAVE = 7,       // I stop after `step` steps of this match
    DECLINE = 8,     // I do not want the next match you asked for before this one ended
};

enum refusal : std::uint8_t {
    MATCH_FULL = 1,
    PROTOCOL_DIFFERS = 2,
    PROGRAM_DIFFERS = 3,
    RULES_DIFFER = 4,
};

struct timed_input {
    std::uint32_t step;
    std::uint8_t command;
    bool operator==(const timed_input& o) const { return step == o.step && command == o.command; }
};

// One message; only the fields of its type are written and read.
struct message {
    message_type type = LEAVE;
    std::string program;              // HELLO, WELCOME, REFUSE: printable ASCII, at most MAX_TEXT
    std::uint64_t rules = 0;          // HELLO, WELCOME, REFUSE
    std::uint8_t input_delay = 0;     // WELCOME
    std::uint8_t reason = 0;          // REFUSE
    std::uint16_t match = 0;          // INPUTS, STATE_HASH, NEXT_MATCH, LEAVE, DECLINE
    std::uint32_t ack = 0;            // INPUTS: I know all your inputs for the steps before this one
    std::uint32_t from = 0;           // INPUTS: from <= until
    std::uint32_t until = 0;          // INPUTS
    std::vector<timed_input> inputs;  // INPUTS: steps ascending, from `from` to before `until`
    std::uint32_t step = 0;           // STATE_HASH
    std::uint64_t hash = 0;           // STATE_HASH
};

enum decode_result { DECODED, MALFORMED, OTHER_PROTOCOL };

// Encodes a well-formed message (texts and input lists beyond their bounds are cut to them).
std::vector<std::uint8_t> encode(const message& m);
// Reads exactly one message from `size` bytes. OTHER_PROTOCOL: the magic is ours but the version is
// not, which `version` then holds; nothing else is read, since another version's layout is unknown.
decode_result decode(const std::uint8_t* data, std::size_t size, message& out, std::uint8_t& version);

}  // namespace netmsg
