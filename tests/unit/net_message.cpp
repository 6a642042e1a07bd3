#include "net/message.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/link.h"

using namespace netmsg;

namespace {

message decoded(const std::vector<std::uint8_t>& bytes, decode_result expected = DECODED) {
    message m;
    std::uint8_t version = 0;
    EXPECT_EQ(decode(bytes.data(), bytes.size(), m, version), expected);
    return m;
}

std::vector<message> one_of_each() {
    std::vector<message> all;
    message m;
    m.type = HELLO;
    m.program = "1.1";
    m.rules = 0x0123456789abcdefULL;
    all.push_back(m);
    m.type = WELCOME;
    m.input_delay = 6;
    all.push_back(m);
    m.type = REFUSE;
    m.reason = RULES_DIFFER;
    all.push_back(m);
    message in;
    in.type = INPUTS;
    in.match = 3;
    in.ack = 69000;
    in.from = 5;
    in.until = 70000;
    in.inputs = {{5, 1}, {5, 2}, {69999, 7}};
    all.push_back(in);
    message h;
    h.type = STATE_HASH;
    h.match = 2;
    h.step = 400;
    h.hash = 0xfedcba9876543210ULL;
    all.push_back(h);
    message next;
    next.type = NEXT_MATCH;
    next.match = 65535;
    next.step = 70000;
    all.push_back(next);
    message decline;
    decline.type = DECLINE;
    decline.match = 9;
    all.push_back(decline);
    message leave;
    leave.type = LEAVE;
    leave.match = 4;
    leave.step = 123456;
    all.push_back(leave);
    message watch;
    watch.type = WATCH;
    watch.program = "1.1";
    watch.rules = 42;
    all.push_back(watch);
    message start;
    start.type = WATCH_START;
    start.match = 7;
    all.push_back(start);
    message steps;
    steps.type = WATCH_STEPS;
    steps.match = 7;
    steps.from = 100;
    steps.until = 1100;
    steps.step = 1200;
    steps.inputs = {{100, 3}, {100, 0x21}, {1099, 0x10}};
    steps.hashes = {{101, 1}, {1100, 0xffffffffffffffffULL}};
    steps.last = true;
    all.push_back(steps);
    message ack;
    ack.type = WATCH_ACK;
    ack.match = 7;
    ack.until = 1100;
    all.push_back(ack);
    message end;
    end.type = WATCH_END;
    end.match = 7;
    end.step = 1100;
    end.reason = WATCHER_BEHIND;
    all.push_back(end);
    return all;
}

}  // namespace

TEST(NetMessage, EveryTypeSurvivesEncodingWithItsFields) {
    for (const message& m : one_of_each()) {
        SCOPED_TRACE(static_cast<int>(m.type));
        message back = decoded(encode(m));
        EXPECT_EQ(back.type, m.type);
        if (m.type == HELLO || m.type == WATCH || m.type == WELCOME || m.type == REFUSE) {
            EXPECT_EQ(back.program, m.program);
            EXPECT_EQ(back.rules, m.rules);
        }
        if (m.type == WELCOME) {
            EXPECT_EQ(back.input_delay, m.input_delay);
        }
        if (m.type == REFUSE) {
            EXPECT_EQ(back.reason, m.reason);
        }
        if (m.type != HELLO && m.type != WATCH && m.type != WELCOME && m.type != REFUSE) {
            EXPECT_EQ(back.match, m.match);
        }
        if (m.type == STATE_HASH || m.type == LEAVE || m.type == WATCH_STEPS || m.type == WATCH_END) {
            EXPECT_EQ(back.step, m.step);
        }
        if (m.type == WATCH_STEPS) {
            EXPECT_EQ(back.from, m.from);
            EXPECT_EQ(back.inputs, m.inputs);
            EXPECT_EQ(back.hashes, m.hashes);
            EXPECT_EQ(back.last, m.last);
        }
        if (m.type == WATCH_STEPS || m.type == WATCH_ACK) {
            EXPECT_EQ(back.until, m.until);
        }
        if (m.type == WATCH_END) {
            EXPECT_EQ(back.reason, m.reason);
        }
        if (m.type == INPUTS) {
            EXPECT_EQ(back.ack, m.ack);
            EXPECT_EQ(back.from, m.from);
            EXPECT_EQ(back.until, m.until);
            EXPECT_EQ(back.inputs, m.inputs);
        }
        if (m.type == STATE_HASH) {
            EXPECT_EQ(back.hash, m.hash);
        }
    }
}

TEST(NetMessage, CutOrLengthenedMessagesAreRefused) {
    for (const message& m : one_of_each()) {
        const std::vector<std::uint8_t> whole = encode(m);
        for (std::size_t n = 0; n < whole.size(); ++n)
            decoded(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(n)),
                    MALFORMED);
        std::vector<std::uint8_t> longer = whole;
        longer.push_back(0);
        decoded(longer, MALFORMED);
    }
}

TEST(NetMessage, AnotherProtocolVersionIsNamedNotRead) {
    message hello;
    hello.type = HELLO;
    std::vector<std::uint8_t> bytes = encode(hello);
    bytes[1] = PROTOCOL_VERSION + 1;
    bytes.resize(2);  // whatever follows is that version's business
    message m;
    std::uint8_t version = 0;
    EXPECT_EQ(decode(bytes.data(), bytes.size(), m, version), OTHER_PROTOCOL);
    EXPECT_EQ(version, PROTOCOL_VERSION + 1);

    bytes[0] = MAGIC + 1;
    EXPECT_EQ(decode(bytes.data(), bytes.size(), m, version), MALFORMED);
}

TEST(NetMessage, ContentsOutsideTheRulesAreRefused) {
    message in;
    in.type = INPUTS;
    in.until = 10;
    in.inputs = {{4, 0}, {3, 0}};  // steps going back
    decoded(encode(in), MALFORMED);
    in.inputs = {{10, 0}};  // not before `until`
    decoded(encode(in), MALFORMED);
    in.from = 5;
    in.inputs = {{4, 0}};  // before `from`
    decoded(encode(in), MALFORMED);
    in.inputs.clear();
    in.from = 11;
    decoded(encode(in), MALFORMED);

    message hello;
    hello.type = HELLO;
    hello.program = "1.1\n";
    decoded(encode(hello), MALFORMED);

    std::vector<std::uint8_t> unknown = {MAGIC, PROTOCOL_VERSION, 0};
    decoded(unknown, MALFORMED);
    unknown[2] = WATCH_END + 1;
    decoded(unknown, MALFORMED);

    message steps;
    steps.type = WATCH_STEPS;
    steps.from = 10;
    steps.until = 20;
    steps.step = 19;  // fewer steps run than sent
    decoded(encode(steps), MALFORMED);
    steps.step = 20;
    steps.hashes = {{10, 0}};  // a hash of the board before the first step sent
    decoded(encode(steps), MALFORMED);
    steps.hashes = {{15, 0}, {15, 1}};  // two for one step
    decoded(encode(steps), MALFORMED);
    steps.hashes = {{21, 0}};  // after the last step sent
    decoded(encode(steps), MALFORMED);
    steps.hashes.clear();
    std::vector<std::uint8_t> flag = encode(steps);
    flag.back() = 2;  // `last` is yes or no
    decoded(flag, MALFORMED);

    // A count above the bound, with enough bytes behind it to be believed otherwise.
    std::vector<std::uint8_t> crowded = {MAGIC,  PROTOCOL_VERSION,
                                         INPUTS, 0,
                                         0,      0,
                                         0,      0,
                                         0,      0,
                                         0,      0,
                                         0,      0xff,
                                         0xff,   0,
                                         0,      static_cast<std::uint8_t>(MAX_INPUTS + 1)};
    crowded.resize(crowded.size() + 5 * (MAX_INPUTS + 1), 0);
    decoded(crowded, MALFORMED);
}

TEST(NetMessage, EncodingKeepsTextsAndInputListsWithinTheirBounds) {
    message hello;
    hello.type = HELLO;
    hello.program = std::string(MAX_TEXT + 10, 'v');
    EXPECT_EQ(decoded(encode(hello)).program, std::string(MAX_TEXT, 'v'));

    message in;
    in.type = INPUTS;
    in.until = 1000;
    for (std::uint32_t i = 0; i < MAX_INPUTS + 5; ++i)
        in.inputs.push_back({i, 1});
    EXPECT_EQ(decoded(encode(in)).inputs.size(), MAX_INPUTS);

    message steps;
    steps.type = WATCH_STEPS;
    steps.until = steps.step = 1000;
    for (std::uint32_t i = 0; i < MAX_WATCH_INPUTS + 5; ++i)
        steps.inputs.push_back({i, 1});
    for (std::uint32_t i = 1; i <= MAX_WATCH_HASHES + 5; ++i)
        steps.hashes.push_back({i, i});
    const std::vector<std::uint8_t> bytes = encode(steps);
    // Whole, it still fits in one datagram the link carries.
    EXPECT_LE(bytes.size(), CNetLink::MAX_MESSAGE);
    const message back = decoded(bytes);
    EXPECT_EQ(back.inputs.size(), MAX_WATCH_INPUTS);
    EXPECT_EQ(back.hashes.size(), MAX_WATCH_HASHES);
}
