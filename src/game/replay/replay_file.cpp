#include "game/replay/replay_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "game/sim/opponent_kind.h"
#include "general/byte_codec.h"
#include "general/echoed_text.h"
#include "general/hash64.h"
#include "platform/file_bytes.h"

namespace {

const char MAGIC[4] = {'Z', 'V', 'R', 'C'};
// Version 2 adds who drove the red station; a match against the classic computer is still written as
// version 1, byte for byte as before.
constexpr unsigned FORMAT_VERSION = 1;
constexpr unsigned OPPONENT_FORMAT_VERSION = 2;
constexpr std::size_t HEADER_SIZE = 4 + 2 + 4;  // magic, version, body length
constexpr std::size_t CHECKSUM_SIZE = 8;
constexpr std::size_t MAX_VERSION_TEXT = 64;
// Far more than a day of the busiest play needs.
constexpr std::uintmax_t MAX_RECORDING_BYTES = 64u << 20;

std::uint64_t checksum(const std::string& bytes, std::size_t size) {
    CHash64 h;
    h.bytes(bytes.data(), size);
    return h.result();
}

void write_real(CByteWriter& w, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    w.fixed(bits, 4);
}

// A finite float; anything else sets the reader's `bad`.
float read_real(CByteReader& in) {
    const std::uint32_t bits = static_cast<std::uint32_t>(in.fixed(4));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!std::isfinite(f))
        in.bad = true;
    return f;
}

void write_body(CByteWriter& w, const match_recording& r) {
    w.varint(r.program_version.size());
    w.bytes += r.program_version;
    w.byte(static_cast<unsigned>(r.start.players));
    w.byte(static_cast<unsigned>(r.start.difficulty));
    if (r.start.opponent != global::CLASSIC_OPPONENT)
        w.byte(static_cast<unsigned>(r.start.opponent));
    w.fixed(r.start.seed, 4);
    w.varint(static_cast<std::uint64_t>(r.start.noise_counter));
    for (int i = 0; i < 2; ++i) {
        write_real(w, r.start.station_x[i]);
        write_real(w, r.start.station_y[i]);
    }
    w.varint(r.steps);
    w.varint(r.commands.size());
    w.bytes.append(r.commands.data(), r.commands.byte_size());
    w.varint(r.checkpoints.size());
    for (std::uint64_t h : r.checkpoints)
        w.fixed(h, 8);
    w.fixed(r.final_hash, 8);
}

bool read_start(CByteReader& in, unsigned version, match_start& s) {
    s.players = static_cast<int>(in.byte());
    s.difficulty = static_cast<int>(in.byte());
    s.opponent = version >= OPPONENT_FORMAT_VERSION ? static_cast<int>(in.byte()) : global::CLASSIC_OPPONENT;
    if (version >= OPPONENT_FORMAT_VERSION && s.opponent == global::CLASSIC_OPPONENT)
        return false;
    s.seed = static_cast<std::uint32_t>(in.fixed(4));
    const std::uint64_t noise = in.varint();
    s.noise_counter = static_cast<int>(noise);
    for (int i = 0; i < 2; ++i) {
        s.station_x[i] = read_real(in);
        s.station_y[i] = read_real(in);
    }
    // Single or two players; difficulties from the menu (and 0, never firing); the noise period.
    return !in.bad && s.players <= 1 && s.difficulty <= 4 && s.opponent < global::OPPONENT_KINDS &&
           noise < 1000;
}

// Where the commands lie in the body, checked, for the recording to take over.
struct command_span {
    std::size_t from = 0, to = 0, count = 0;
    std::uint64_t last_step = 0;
};

// Walks through the commands without spreading them out: each in order, within the steps, of a kind
// the board knows, and no more at one step than play makes.
bool read_commands(CByteReader& in, std::size_t body_end, std::uint64_t steps, command_span& span) {
    const std::uint64_t count = in.varint();
    // Every command takes at least two bytes.
    if (in.bad || count > in.left() / 2)
        return false;
    span.from = body_end - in.left();
    std::uint64_t step = 0;
    std::size_t at_this_step = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t delta = in.varint();
        const unsigned code = in.byte();
        if (in.bad || delta > steps - step)
            return false;
        at_this_step = delta == 0 && i > 0 ? at_this_step + 1 : 1;
        step += delta;
        if (at_this_step > MAX_COMMANDS_AT_A_STEP ||
            !valid_command(byte_command(static_cast<std::uint8_t>(code))))
            return false;
    }
    span.to = body_end - in.left();
    span.count = static_cast<std::size_t>(count);
    span.last_step = step;
    return true;
}

bool read_body(CByteReader& in, unsigned version, std::size_t body_end, match_recording& r,
               command_span& commands) {
    const std::uint64_t version_size = in.varint();
    if (in.bad || version_size > MAX_VERSION_TEXT)
        return false;
    r.program_version = in.text(static_cast<std::size_t>(version_size));
    if (!read_start(in, version, r.start))
        return false;
    r.steps = in.varint();
    if (in.bad || r.steps > MAX_RECORDED_STEPS || !read_commands(in, body_end, r.steps, commands))
        return false;
    const std::uint64_t checkpoints = in.varint();
    if (in.bad || checkpoints != checkpoint_count(r.steps) || checkpoints > in.left() / 8)
        return false;
    for (std::uint64_t i = 0; i < checkpoints; ++i)
        r.checkpoints.push_back(in.fixed(8));
    r.final_hash = in.fixed(8);
    return !in.bad && in.left() == 0;
}

}  // namespace

std::uint64_t checkpoint_count(std::uint64_t steps) {
    return steps / CHECKPOINT_INTERVAL + 1;
}

const char* describe(recording_status status) {
    switch (status) {
        case RECORDING_OK:
            return "fine";
        case RECORDING_UNREADABLE:
            return "cannot be read";
        case RECORDING_NOT_A_RECORDING:
            return "not a recording";
        case RECORDING_TRUNCATED:
            return "truncated";
        case RECORDING_BAD_CHECKSUM:
            return "bad checksum";
        case RECORDING_UNKNOWN_VERSION:
            return "unknown format version";
        case RECORDING_CORRUPT:
            return "corrupt contents";
        case RECORDING_TOO_LARGE:
            return "too large";
    }
    return "unknown problem";
}

std::string encode_recording(const match_recording& recording) {
    CByteWriter body;
    write_body(body, recording);
    CByteWriter w;
    w.bytes.assign(MAGIC, sizeof MAGIC);
    w.fixed(recording.start.opponent != global::CLASSIC_OPPONENT ? OPPONENT_FORMAT_VERSION : FORMAT_VERSION,
            2);
    w.fixed(body.bytes.size(), 4);
    w.bytes += body.bytes;
    w.fixed(checksum(w.bytes, w.bytes.size()), 8);
    return w.bytes;
}

recording_status decode_recording(std::string bytes, match_recording& out) {
    const std::size_t magic_seen = bytes.size() < sizeof MAGIC ? bytes.size() : sizeof MAGIC;
    if (bytes.compare(0, magic_seen, MAGIC, magic_seen) != 0)
        return RECORDING_NOT_A_RECORDING;
    if (bytes.size() < HEADER_SIZE)
        return RECORDING_TRUNCATED;
    CByteReader header(bytes.data(), sizeof MAGIC, HEADER_SIZE);
    const unsigned version = static_cast<unsigned>(header.fixed(2));
    if (version != FORMAT_VERSION && version != OPPONENT_FORMAT_VERSION)
        return RECORDING_UNKNOWN_VERSION;
    const std::uint64_t body_size = header.fixed(4);
    const std::uint64_t whole = HEADER_SIZE + body_size + CHECKSUM_SIZE;
    if (bytes.size() < whole)
        return RECORDING_TRUNCATED;
    if (bytes.size() > whole)
        return RECORDING_CORRUPT;
    CByteReader trailer(bytes.data(), bytes.size() - CHECKSUM_SIZE, bytes.size());
    if (trailer.fixed(8) != checksum(bytes, bytes.size() - CHECKSUM_SIZE))
        return RECORDING_BAD_CHECKSUM;
    match_recording r;
    command_span commands;
    const std::size_t body_end = bytes.size() - CHECKSUM_SIZE;
    CByteReader body(bytes.data(), HEADER_SIZE, body_end);
    if (!read_body(body, version, body_end, r, commands))
        return RECORDING_CORRUPT;
    r.commands.adopt(std::move(bytes), commands.from, commands.to, commands.count, commands.last_step);
    out = std::move(r);
    return RECORDING_OK;
}

recording_status read_recording(const std::string& path, match_recording& out) {
    std::string bytes, detail;
    switch (read_file_bytes(path, MAX_RECORDING_BYTES, bytes, detail)) {
        case FILE_READ:
            return decode_recording(std::move(bytes), out);
        case FILE_TOO_LARGE:
            return RECORDING_TOO_LARGE;
        default:
            return RECORDING_UNREADABLE;
    }
}

// A path may be long and still be what the player typed: said whole up to here.
constexpr std::size_t PATH_MOST = 240;

bool load_recording(const std::string& path, match_recording& out) {
    const recording_status status = read_recording(path, out);
    if (status != RECORDING_OK)
        std::fprintf(stderr, "zelvorant: %s: %s\n", echoed(path, PATH_MOST).c_str(), describe(status));
    return status == RECORDING_OK;
}
