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
// must be reported. 3: watchers. 4: the host names the step a match stops at for the next one.
constexpr std::uint8_t PROTOCOL_VERSION = 4;
constexpr std::size_t MAX_TEXT = 32;     // program version strings
constexpr std::size_t MAX_INPUTS = 200;  // inputs in one message
// What one WATCH_STEPS message carries at most: it stays within a datagram the link takes.
constexpr std::size_t MAX_WATCH_INPUTS = 700;
constexpr std::size_t MAX_WATCH_HASHES = 16;

enum message_type : std::uint8_t {
    HELLO = 1,       // joining player: who I am
    WELCOME = 2,     // host: accepted; who I am and the input delay
    REFUSE = 3,      // host: not accepted, and why
    INPUTS = 4,      // my inputs for the steps from `from` to before `until`: these, and no others
    STATE_HASH = 5,  // my board after `step` steps
    NEXT_MATCH = 6,  // I am ready for the next match; from the host, once both are: this one stops
                     // after `step` steps (NO_STOP: not decided yet)
    LEAVE = 7,       // I stop after `step` steps of this match
    DECLINE = 8,     // I do not want the next match you asked for before this one ended
    // A watcher follows a hosted match without playing in it.
    WATCH = 9,         // watcher: who I am (as HELLO)
    WATCH_START = 10,  // host: match number `match` begins
    WATCH_STEPS = 11,  // host: the commands of `match`'s steps from `from` to before `until`, and
                       // the board's hash after some of them; `step`: the steps the host has run
    WATCH_ACK = 12,    // watcher: I have the steps of `match` before `until`
    WATCH_END = 13,    // host: `match` stops after `step` steps, for `reason` (a watch_end)
};

enum refusal : std::uint8_t {
    MATCH_FULL = 1,
    PROTOCOL_DIFFERS = 2,
    PROGRAM_DIFFERS = 3,
    RULES_DIFFER = 4,
    WATCHERS_FULL = 5,
};

// Why a watched match stops.
enum watch_end : std::uint8_t {
    PLAYER_LEFT = 1,
    CONNECTION_LOST = 2,
    OUT_OF_SYNC = 3,
    HOST_STOPPED = 4,    // the host ended the session for another reason
    WATCHER_BEHIND = 5,  // this watcher fell too far behind, and is let go
};

struct step_hash {
    std::uint32_t step;
    std::uint64_t hash;
    bool operator==(const step_hash& o) const { return step == o.step && hash == o.hash; }
};

struct timed_input {
    std::uint32_t step;
    std::uint8_t command;
    bool operator==(const timed_input& o) const { return step == o.step && command == o.command; }
};

// One message; only the fields of its type are written and read.
struct message {
    message_type type = LEAVE;
    std::string program;              // HELLO, WATCH, WELCOME, REFUSE: printable ASCII, at most MAX_TEXT
    std::uint64_t rules = 0;          // HELLO, WATCH, WELCOME, REFUSE
    std::uint8_t input_delay = 0;     // WELCOME
    std::uint8_t reason = 0;          // REFUSE, WATCH_END
    std::uint16_t match = 0;          // all but HELLO, WATCH, WELCOME, REFUSE
    std::uint32_t ack = 0;            // INPUTS: I know all your inputs for the steps before this one
    std::uint32_t from = 0;           // INPUTS, WATCH_STEPS: from <= until
    std::uint32_t until = 0;          // INPUTS, WATCH_STEPS, WATCH_ACK
    std::vector<timed_input> inputs;  // INPUTS, WATCH_STEPS: steps ascending, from `from` to before `until`
    std::uint32_t step = 0;           // STATE_HASH, LEAVE, NEXT_MATCH, WATCH_STEPS (at least `until`),
                                      // WATCH_END
    std::uint64_t hash = 0;           // STATE_HASH
    std::vector<step_hash> hashes;    // WATCH_STEPS: steps ascending, after `from` up to `until`
    bool last = false;                // WATCH_STEPS: the match's board ended with step `until`
};

constexpr std::uint32_t NO_STOP = UINT32_MAX;

enum decode_result { DECODED, MALFORMED, OTHER_PROTOCOL };

// Encodes a well-formed message (texts and input and hash lists beyond their bounds are cut to them).
std::vector<std::uint8_t> encode(const message& m);
// Reads exactly one message from `size` bytes. OTHER_PROTOCOL: the magic is ours but the version is
// not, which `version` then holds; nothing else is read, since another version's layout is unknown.
decode_result decode(const std::uint8_t* data, std::size_t size, message& out, std::uint8_t& version);

}  // namespace netmsg
