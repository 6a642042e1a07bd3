#include "net/message.h"

#include "general/byte_codec.h"

namespace netmsg {

namespace {

void write_text(CByteWriter& w, const std::string& s) {
    const std::size_t n = s.size() < MAX_TEXT ? s.size() : MAX_TEXT;
    w.byte(static_cast<unsigned>(n));
    w.bytes.append(s, 0, n);
}

// Printable ASCII of at most MAX_TEXT characters, its length first.
std::string read_text(CByteReader& r) {
    const std::size_t n = r.byte();
    if (n > MAX_TEXT)
        r.bad = true;
    const std::string s = r.text(n);
    for (char c : s)
        if (c < 0x20 || c > 0x7e)
            r.bad = true;
    return s;
}

bool known_type(std::uint8_t t) {
    return t >= HELLO && t <= WATCH_END;
}

bool inputs_in_order(const message& m) {
    if (m.from > m.until)
        return false;
    if (m.type == WATCH_STEPS && m.until > m.step)
        return false;
    for (std::size_t i = 0; i < m.inputs.size(); ++i) {
        if (m.inputs[i].step < m.from || m.inputs[i].step >= m.until)
            return false;
        if (i > 0 && m.inputs[i].step < m.inputs[i - 1].step)
            return false;
    }
    return true;
}

// Each hash after a step of the message's range, one per step.
bool hashes_in_order(const message& m) {
    for (std::size_t i = 0; i < m.hashes.size(); ++i) {
        if (m.hashes[i].step <= m.from || m.hashes[i].step > m.until)
            return false;
        if (i > 0 && m.hashes[i].step <= m.hashes[i - 1].step)
            return false;
    }
    return true;
}

void write_inputs(CByteWriter& w, const std::vector<timed_input>& inputs, std::size_t most, int count_size) {
    const std::size_t n = inputs.size() < most ? inputs.size() : most;
    w.fixed(n, count_size);
    for (std::size_t i = 0; i < n; ++i) {
        w.fixed(inputs[i].step, 4);
        w.byte(inputs[i].command);
    }
}

// False for a count beyond `most`.
bool read_inputs(CByteReader& r, std::vector<timed_input>& inputs, std::size_t most, int count_size) {
    const std::size_t n = static_cast<std::size_t>(r.fixed(count_size));
    if (n > most)
        return false;
    for (std::size_t i = 0; i < n && !r.bad; ++i) {
        timed_input in;
        in.step = static_cast<std::uint32_t>(r.fixed(4));
        in.command = static_cast<std::uint8_t>(r.byte());
        inputs.push_back(in);
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode(const message& m) {
    CByteWriter w;
    w.byte(MAGIC);
    w.byte(PROTOCOL_VERSION);
    w.byte(m.type);
    switch (m.type) {
        case HELLO:
        case WATCH:
        case WELCOME:
        case REFUSE:
            write_text(w, m.program);
            w.fixed(m.rules, 8);
            if (m.type == WELCOME)
                w.byte(m.input_delay);
            if (m.type == REFUSE)
                w.byte(m.reason);
            break;
        case INPUTS: {
            w.fixed(m.match, 2);
            w.fixed(m.ack, 4);
            w.fixed(m.from, 4);
            w.fixed(m.until, 4);
            write_inputs(w, m.inputs, MAX_INPUTS, 1);
            break;
        }
        case WATCH_STEPS: {
            w.fixed(m.match, 2);
            w.fixed(m.from, 4);
            w.fixed(m.until, 4);
            w.fixed(m.step, 4);
            write_inputs(w, m.inputs, MAX_WATCH_INPUTS, 2);
            const std::size_t n = m.hashes.size() < MAX_WATCH_HASHES ? m.hashes.size() : MAX_WATCH_HASHES;
            w.byte(static_cast<unsigned>(n));
            for (std::size_t i = 0; i < n; ++i) {
                w.fixed(m.hashes[i].step, 4);
                w.fixed(m.hashes[i].hash, 8);
            }
            w.byte(m.last ? 1 : 0);
            break;
        }
        case WATCH_ACK:
            w.fixed(m.match, 2);
            w.fixed(m.until, 4);
            break;
        case WATCH_END:
            w.fixed(m.match, 2);
            w.fixed(m.step, 4);
            w.byte(m.reason);
            break;
        case STATE_HASH:
            w.fixed(m.match, 2);
            w.fixed(m.step, 4);
            w.fixed(m.hash, 8);
            break;
        case DECLINE:
        case WATCH_START:
            w.fixed(m.match, 2);
            break;
        case NEXT_MATCH:
        case LEAVE:
            w.fixed(m.match, 2);
            w.fixed(m.step, 4);
            break;
    }
    return std::vector<std::uint8_t>(w.bytes.begin(), w.bytes.end());
}

decode_result decode(const std::uint8_t* data, std::size_t size, message& out, std::uint8_t& version) {
    CByteReader r(data, 0, size);
    if (static_cast<std::uint8_t>(r.byte()) != MAGIC)
        return MALFORMED;
    version = static_cast<std::uint8_t>(r.byte());
    if (r.bad)
        return MALFORMED;
    if (version != PROTOCOL_VERSION)
        return OTHER_PROTOCOL;
    const std::uint8_t type = static_cast<std::uint8_t>(r.byte());
    if (!known_type(type))
        return MALFORMED;
    message m;
    m.type = static_cast<message_type>(type);
    switch (m.type) {
        case HELLO:
        case WATCH:
        case WELCOME:
        case REFUSE:
            m.program = read_text(r);
            m.rules = r.fixed(8);
            if (m.type == WELCOME)
                m.input_delay = static_cast<std::uint8_t>(r.byte());
            if (m.type == REFUSE)
                m.reason = static_cast<std::uint8_t>(r.byte());
            break;
        case INPUTS: {
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            m.ack = static_cast<std::uint32_t>(r.fixed(4));
            m.from = static_cast<std::uint32_t>(r.fixed(4));
            m.until = static_cast<std::uint32_t>(r.fixed(4));
            if (!read_inputs(r, m.inputs, MAX_INPUTS, 1) || !inputs_in_order(m))
                return MALFORMED;
            break;
        }
        case WATCH_STEPS: {
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            m.from = static_cast<std::uint32_t>(r.fixed(4));
            m.until = static_cast<std::uint32_t>(r.fixed(4));
            m.step = static_cast<std::uint32_t>(r.fixed(4));
            if (!read_inputs(r, m.inputs, MAX_WATCH_INPUTS, 2) || !inputs_in_order(m))
                return MALFORMED;
            const std::size_t n = r.byte();
            if (n > MAX_WATCH_HASHES)
                return MALFORMED;
            for (std::size_t i = 0; i < n && !r.bad; ++i) {
                step_hash h;
                h.step = static_cast<std::uint32_t>(r.fixed(4));
                h.hash = r.fixed(8);
                m.hashes.push_back(h);
            }
            const unsigned last = r.byte();
            if (!hashes_in_order(m) || last > 1)
                return MALFORMED;
            m.last = last == 1;
            break;
        }
        case WATCH_ACK:
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            m.until = static_cast<std::uint32_t>(r.fixed(4));
            break;
        case WATCH_END:
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            m.step = static_cast<std::uint32_t>(r.fixed(4));
            m.reason = static_cast<std::uint8_t>(r.byte());
            break;
        case STATE_HASH:
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            m.step = static_cast<std::uint32_t>(r.fixed(4));
            m.hash = r.fixed(8);
            break;
        case DECLINE:
        case WATCH_START:
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            break;
        case NEXT_MATCH:
        case LEAVE:
            m.match = static_cast<std::uint16_t>(r.fixed(2));
            m.step = static_cast<std::uint32_t>(r.fixed(4));
            break;
    }
    if (r.bad || r.left() != 0)
        return MALFORMED;
    out = m;
    return DECODED;
}

}  // namespace netmsg
