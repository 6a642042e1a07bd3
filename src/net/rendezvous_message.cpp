#include "net/rendezvous_message.h"

#include <cstring>

#include "general/byte_codec.h"

namespace rdv {

namespace {

constexpr std::uint8_t PREFIX[3] = {'Z', 'V', 'R'};
constexpr std::size_t HEADER = 5;  // prefix, version, type
constexpr std::size_t ENDPOINT_BYTES = 6;

bool in_alphabet(char c) {
    return c != '\0' && std::strchr(CODE_ALPHABET, c) != nullptr;
}

void put_endpoint(CByteWriter& w, const endpoint& e) {
    w.fixed(e.address, 4);
    w.fixed(e.port, 2);
}

endpoint get_endpoint(CByteReader& r) {
    endpoint e;
    e.address = static_cast<std::uint32_t>(r.fixed(4));
    e.port = static_cast<std::uint16_t>(r.fixed(2));
    return e;
}

void put_code(CByteWriter& w, const std::string& code) {
    // A code of the wrong length goes out as bytes outside the alphabet, which every reader refuses.
    for (std::size_t i = 0; i < CODE_LENGTH; ++i)
        w.byte(code.size() == CODE_LENGTH ? static_cast<unsigned char>(code[i]) : 0);
}

bool get_code(CByteReader& r, std::string& code) {
    code = r.text(CODE_LENGTH);
    for (char c : code)
        if (!in_alphabet(c))
            return false;
    return !r.bad;
}

void put_locals(CByteWriter& w, const std::vector<endpoint>& locals) {
    w.byte(static_cast<unsigned>(locals.size()));
    for (const endpoint& e : locals)
        put_endpoint(w, e);
}

bool get_locals(CByteReader& r, std::vector<endpoint>& locals) {
    const unsigned count = r.byte();
    if (r.bad || count > static_cast<unsigned>(MAX_ENDPOINTS) || r.left() < count * ENDPOINT_BYTES)
        return false;
    locals.clear();
    for (unsigned i = 0; i < count; ++i)
        locals.push_back(get_endpoint(r));
    return true;
}

// A flag byte carries 0 or 1 only: anything else is not a message this version sends.
bool get_flag(CByteReader& r, std::uint8_t& flag) {
    flag = static_cast<std::uint8_t>(r.byte());
    return flag <= 1;
}

void put_cookie(CByteWriter& w, const cookie& c) {
    for (std::uint8_t b : c)
        w.byte(b);
}

void get_cookie(CByteReader& r, cookie& c) {
    for (std::uint8_t& b : c)
        b = static_cast<std::uint8_t>(r.byte());
}

bool decode_body(CByteReader& r, message& m) {
    if (is_request(m.kind))
        get_cookie(r, m.proof);
    switch (m.kind) {
        case REGISTER:
            m.mapped = get_endpoint(r);
            return get_locals(r, m.locals);
        case REGISTERED:
            if (!get_code(r, m.code))
                return false;
            m.seen = get_endpoint(r);
            m.lifetime_s = static_cast<std::uint16_t>(r.fixed(2));
            get_cookie(r, m.proof);
            return true;
        case UNREGISTER:
            return true;
        case JOIN:
            return get_code(r, m.code) && get_locals(r, m.locals);
        case INTRODUCE:
            m.token = r.fixed(8);
            m.seen = get_endpoint(r);
            m.mapped = get_endpoint(r);
            return get_flag(r, m.role) && get_locals(r, m.locals);
        case PUNCH:
            m.token = r.fixed(8);
            return get_flag(r, m.ack);
        case RELAY:
        case RELAYING:
            m.token = r.fixed(8);
            return true;
        case REFUSED:
            m.reason = static_cast<std::uint8_t>(r.byte());
            return m.reason >= UNKNOWN_CODE && m.reason <= OTHER_VERSION;
        case PING:
        case PONG:
            m.nonce = static_cast<std::uint32_t>(r.fixed(4));
            return true;
        case COOKIE:
            get_cookie(r, m.proof);
            return true;
    }
    return false;
}

}  // namespace

std::string to_string(const endpoint& e) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        s += std::to_string((e.address >> shift) & 0xff);
        s += shift > 0 ? '.' : ':';
    }
    return s + std::to_string(e.port);
}

bool parse_endpoint(const std::string& text, endpoint& out) {
    std::uint32_t parts[5] = {};
    std::size_t part = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 5)
                return false;
            parts[part] = parts[part] * 10 + static_cast<std::uint32_t>(c - '0');
            continue;
        }
        const char separator = part < 3 ? '.' : ':';
        if (c != separator || digits == 0 || part == 4)
            return false;
        ++part;
        digits = 0;
    }
    if (part != 4 || digits == 0 || parts[4] > 0xffff)
        return false;
    std::uint32_t address = 0;
    for (int i = 0; i < 4; ++i) {
        if (parts[i] > 255)
            return false;
        address = address << 8 | parts[i];
    }
    out.address = address;
    out.port = static_cast<std::uint16_t>(parts[4]);
    return true;
}

bool is_rendezvous(const std::uint8_t* data, std::size_t size) {
    return size >= 4 && std::memcmp(data, PREFIX, sizeof PREFIX) == 0;
}

std::vector<std::uint8_t> encode(const message& m) {
    CByteWriter w;
    for (std::uint8_t b : PREFIX)
        w.byte(b);
    w.byte(VERSION);
    w.byte(m.kind);
    if (is_request(m.kind))
        put_cookie(w, m.proof);
    switch (m.kind) {
        case REGISTER:
            put_endpoint(w, m.mapped);
            put_locals(w, m.locals);
            break;
        case REGISTERED:
            put_code(w, m.code);
            put_endpoint(w, m.seen);
            w.fixed(m.lifetime_s, 2);
            put_cookie(w, m.proof);
            break;
        case UNREGISTER:
            break;
        case JOIN:
            put_code(w, m.code);
            put_locals(w, m.locals);
            break;
        case INTRODUCE:
            w.fixed(m.token, 8);
            put_endpoint(w, m.seen);
            put_endpoint(w, m.mapped);
            w.byte(m.role);
            put_locals(w, m.locals);
            break;
        case PUNCH:
            w.fixed(m.token, 8);
            w.byte(m.ack);
            break;
        case RELAY:
        case RELAYING:
            w.fixed(m.token, 8);
            break;
        case REFUSED:
            w.byte(m.reason);
            break;
        case PING:
        case PONG:
            w.fixed(m.nonce, 4);
            break;
        case COOKIE:
            put_cookie(w, m.proof);
            break;
    }
    return std::vector<std::uint8_t>(w.bytes.begin(), w.bytes.end());
}

bool decode(const std::uint8_t* data, std::size_t size, message& out) {
    if (size < HEADER || size > MAX_MESSAGE || !is_rendezvous(data, size) || data[3] != VERSION)
        return false;
    const std::uint8_t kind = data[4];
    if (kind < REGISTER || kind > COOKIE)
        return false;
    out = message();
    out.kind = static_cast<type>(kind);
    CByteReader r(data, HEADER, size);
    return decode_body(r, out) && !r.bad && r.left() == 0;
}

bool is_request(type kind) {
    return kind == REGISTER || kind == UNREGISTER || kind == JOIN || kind == RELAY || kind == PING;
}

std::vector<std::uint8_t> encode_version_refusal(std::uint8_t their_version) {
    constexpr std::uint8_t FIRST_VERSION = 1;
    if (their_version == FIRST_VERSION)
        return {PREFIX[0], PREFIX[1], PREFIX[2], FIRST_VERSION, REFUSED, SERVER_FULL};
    return {PREFIX[0], PREFIX[1], PREFIX[2], VERSION, REFUSED, OTHER_VERSION};
}

bool is_version_refusal(const std::uint8_t* data, std::size_t size, std::uint8_t& version) {
    if (size != HEADER + 1 || !is_rendezvous(data, size) || data[3] == VERSION || data[4] != REFUSED ||
        data[5] != OTHER_VERSION)
        return false;
    version = data[3];
    return true;
}

bool normalize_code(const std::string& typed, std::string& code) {
    std::string kept;
    for (char c : typed) {
        if (c == ' ' || c == '-')
            continue;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (!in_alphabet(c) || kept.size() == CODE_LENGTH)
            return false;
        kept += c;
    }
    if (kept.size() != CODE_LENGTH)
        return false;
    code = kept;
    return true;
}

}  // namespace rdv
