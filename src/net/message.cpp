#include "net/message.h"

namespace netmsg {

namespace {

class writer {
  public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) { number(v, 2); }
    void u32(std::uint32_t v) { number(v, 4); }
    void u64(std::uint64_t v) { number(v, 8); }
    void text(const std::string& s) {
        const std::size_t n = s.size() < MAX_TEXT ? s.size() : MAX_TEXT;
        u8(static_cast<std::uint8_t>(n));
        bytes.insert(bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    std::vector<std::uint8_t> bytes;

  private:
    void number(std::uint64_t v, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
};

// Every read checks the bounds; after the first failure everything reads as zero and ok() is false.
class reader {
  public:
    reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t u8() { return static_cast<std::uint8_t>(number(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(number(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }
    std::uint64_t u64() { return number(8); }
    std::string text() {
        const std::size_t n = u8();
        if (n > MAX_TEXT || !has(n)) {
            ok_ = false;
            return "";
        }
        std::string s(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        for (char c : s)
            if (c < 0x20 || c > 0x7e)
                ok_ = false;
        return s;
    }
    bool ok() const { return ok_; }
    bool finished() const { return ok_ && at_ == size_; }

  private:
    bool has(std::size_t n) const { return size_ - at_ >= n; }
    std::uint64_t number(int size) {
        if (!ok_ || !has(static_cast<std::size_t>(size))) {
            ok_ = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < size; ++i)
            v |= static_cast<std::uint64_t>(data_[at_ + static_cast<std::size_t>(i)]) << (8 * i);
        at_ += static_cast<std::size_t>(size);
        return v;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

bool known_type(std::uint8_t t) {
    return t >= HELLO && t <= LEAVE;
}

bool inputs_in_order(const message& m) {
    if (m.from > m.until)
        return false;
    for (std::size_t i = 0; i < m.inputs.size(); ++i) {
        if (m.inputs[i].step < m.from || m.inputs[i].step >= m.until)
            return false;
        if (i > 0 && m.inputs[i].step < m.inputs[i - 1].step)
            return false;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> encode(const message& m) {
    writer w;
    w.u8(MAGIC);
    w.u8(PROTOCOL_VERSION);
    w.u8(m.type);
    switch (m.type) {
        case HELLO:
        case WELCOME:
        case REFUSE:
            w.text(m.program);
            w.u64(m.rules);
            if (m.type == WELCOME)
                w.u8(m.input_delay);
            if (m.type == REFUSE)
                w.u8(m.reason);
            break;
        case INPUTS: {
            w.u16(m.match);
            w.u32(m.ack);
            w.u32(m.from);
            w.u32(m.until);
            const std::size_t n = m.inputs.size() < MAX_INPUTS ? m.inputs.size() : MAX_INPUTS;
            w.u8(static_cast<std::uint8_t>(n));
            for (std::size_t i = 0; i < n; ++i) {
                w.u32(m.inputs[i].step);
                w.u8(m.inputs[i].command);
            }
            break;
        }
        case STATE_HASH:
            w.u16(m.match);
            w.u32(m.step);
            w.u64(m.hash);
            break;
        case NEXT_MATCH:
            w.u16(m.match);
            break;
        case LEAVE:
            w.u16(m.match);
            w.u32(m.step);
            break;
    }
    return w.bytes;
}

decode_result decode(const std::uint8_t* data, std::size_t size, message& out, std::uint8_t& version) {
    reader r(data, size);
    if (r.u8() != MAGIC)
        return MALFORMED;
    version = r.u8();
    if (!r.ok())
        return MALFORMED;
    if (version != PROTOCOL_VERSION)
        return OTHER_PROTOCOL;
    const std::uint8_t type = r.u8();
    if (!known_type(type))
        return MALFORMED;
    message m;
    m.type = static_cast<message_type>(type);
    switch (m.type) {
        case HELLO:
        case WELCOME:
        case REFUSE:
            m.program = r.text();
            m.rules = r.u64();
            if (m.type == WELCOME)
                m.input_delay = r.u8();
            if (m.type == REFUSE)
                m.reason = r.u8();
            break;
        case INPUTS: {
            m.match = r.u16();
            m.ack = r.u32();
            m.from = r.u32();
            m.until = r.u32();
            const std::size_t n = r.u8();
            if (n > MAX_INPUTS)
                return MALFORMED;
            for (std::size_t i = 0; i < n && r.ok(); ++i) {
                timed_input in;
                in.step = r.u32();
                in.command = r.u8();
                m.inputs.push_back(in);
            }
            if (!inputs_in_order(m))
                return MALFORMED;
            break;
        }
        case STATE_HASH:
            m.match = r.u16();
            m.step = r.u32();
            m.hash = r.u64();
            break;
        case NEXT_MATCH:
            m.match = r.u16();
            break;
        case LEAVE:
            m.match = r.u16();
            m.step = r.u32();
            break;
    }
    if (!r.finished())
        return MALFORMED;
    out = m;
    return DECODED;
}

}  // namespace netmsg
