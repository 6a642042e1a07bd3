#include "net/rendezvous_message.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

rdv::endpoint ep(std::uint32_t address, std::uint16_t port) {
    rdv::endpoint e;
    e.address = address;
    e.port = port;
    return e;
}

bool decodes(const std::vector<std::uint8_t>& bytes) {
    rdv::message m;
    return rdv::decode(bytes.data(), bytes.size(), m);
}

rdv::message introduce() {
    rdv::message m;
    m.kind = rdv::INTRODUCE;
    m.token = 0x0123456789abcdefULL;
    m.seen = ep(0xcb007105, 40000);
    m.mapped = ep(0xc6336401, 24816);
    m.role = 1;
    m.locals = {ep(0xc0a80002, 24816), ep(0x0a000001, 1), ep(0xc0000201, 65535), ep(0x7f000001, 24816)};
    return m;
}

}  // namespace

TEST(RendezvousMessage, EveryTypeComesBackWithItsFields) {
    std::vector<rdv::message> all;
    rdv::message m;
    m.kind = rdv::REGISTER;
    m.mapped = ep(0xc6336401, 24816);
    m.locals = {ep(0xc0a80002, 24816)};
    all.push_back(m);
    m.proof[0] = 1;
    m.proof[15] = 0xff;
    all.push_back(m);
    m = rdv::message();
    m.kind = rdv::REGISTERED;
    m.code = "34679Y";
    m.seen = ep(0xcb007105, 1024);
    m.lifetime_s = 600;
    m.proof[7] = 0x80;
    all.push_back(m);
    m = rdv::message();
    m.kind = rdv::COOKIE;
    m.proof.fill(0x5a);
    all.push_back(m);
    m = rdv::message();
    m.kind = rdv::UNREGISTER;
    all.push_back(m);
    m = rdv::message();
    m.kind = rdv::JOIN;
    m.code = "ACDXWV";
    all.push_back(m);
    all.push_back(introduce());
    for (rdv::type kind : {rdv::PUNCH, rdv::RELAY, rdv::RELAYING}) {
        m = rdv::message();
        m.kind = kind;
        m.token = ~0ULL;
        m.ack = kind == rdv::PUNCH;
        m.proof[3] = kind == rdv::RELAY ? 9 : 0;
        all.push_back(m);
    }
    m = rdv::message();
    m.kind = rdv::REFUSED;
    m.reason = rdv::SERVER_FULL;
    all.push_back(m);
    for (rdv::type kind : {rdv::PING, rdv::PONG}) {
        m = rdv::message();
        m.kind = kind;
        m.nonce = 0xdeadbeef;
        all.push_back(m);
    }

    for (const rdv::message& sent : all) {
        const std::vector<std::uint8_t> bytes = rdv::encode(sent);
        ASSERT_LE(bytes.size(), rdv::MAX_MESSAGE);
        EXPECT_TRUE(rdv::is_rendezvous(bytes.data(), bytes.size()));
        rdv::message got;
        got.locals = {ep(1, 1)};  // stale contents must not survive a decode
        ASSERT_TRUE(rdv::decode(bytes.data(), bytes.size(), got)) << int(sent.kind);
        EXPECT_EQ(got.kind, sent.kind);
        EXPECT_EQ(got.code, sent.code);
        EXPECT_EQ(got.seen, sent.seen);
        EXPECT_EQ(got.mapped, sent.mapped);
        EXPECT_EQ(got.locals, sent.locals);
        EXPECT_EQ(got.token, sent.token);
        EXPECT_EQ(got.role, sent.role);
        EXPECT_EQ(got.ack, sent.ack);
        EXPECT_EQ(got.reason, sent.reason);
        EXPECT_EQ(got.lifetime_s, sent.lifetime_s);
        EXPECT_EQ(got.nonce, sent.nonce);
        EXPECT_EQ(got.proof, sent.proof);
    }
}

TEST(RendezvousMessage, NoAnswerBeforeProofIsLargerThanTheRequestItAnswers) {
    rdv::message cookie;
    cookie.kind = rdv::COOKIE;
    const std::size_t answer = rdv::encode(cookie).size();
    for (rdv::type kind : {rdv::REGISTER, rdv::UNREGISTER, rdv::JOIN, rdv::RELAY, rdv::PING}) {
        rdv::message m;
        m.kind = kind;
        m.code = "ACDEFG";
        EXPECT_TRUE(rdv::is_request(kind));
        EXPECT_GE(rdv::encode(m).size(), answer) << int(kind);
    }
    for (rdv::type kind :
         {rdv::REGISTERED, rdv::INTRODUCE, rdv::PUNCH, rdv::RELAYING, rdv::REFUSED, rdv::PONG, rdv::COOKIE})
        EXPECT_FALSE(rdv::is_request(kind)) << int(kind);
}

TEST(RendezvousMessage, AnotherVersionIsToldInBytesItReads) {
    // The first version's registration and join (twelve bytes at least) get the first version's refusal,
    // which its programs read; any other version the six bytes every later version reads.
    const std::vector<std::uint8_t> to_first = rdv::encode_version_refusal(1);
    EXPECT_EQ(to_first, (std::vector<std::uint8_t>{'Z', 'V', 'R', 1, rdv::REFUSED, rdv::SERVER_FULL}));
    std::uint8_t version = 0;
    EXPECT_FALSE(rdv::is_version_refusal(to_first.data(), to_first.size(), version));
    const std::vector<std::uint8_t> to_later = rdv::encode_version_refusal(rdv::VERSION + 1);
    EXPECT_EQ(to_later.size(), 6u);
    EXPECT_EQ(to_later[3], rdv::VERSION);

    // A server of a later version refuses in those bytes: this version knows it as such.
    std::vector<std::uint8_t> from_later = to_later;
    from_later[3] = rdv::VERSION + 1;
    ASSERT_TRUE(rdv::is_version_refusal(from_later.data(), from_later.size(), version));
    EXPECT_EQ(version, rdv::VERSION + 1);
    // Its own version's refusal is an ordinary message, not a word about versions.
    EXPECT_FALSE(rdv::is_version_refusal(to_later.data(), to_later.size(), version));
    from_later.push_back(0);
    EXPECT_FALSE(rdv::is_version_refusal(from_later.data(), from_later.size(), version));
}

TEST(RendezvousMessage, MalformedDatagramsAreRefused) {
    const std::vector<std::uint8_t> good = rdv::encode(introduce());
    ASSERT_TRUE(decodes(good));

    // Every cut short, and one byte more.
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(decodes(std::vector<std::uint8_t>(good.begin(), good.begin() + size))) << size;
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(decodes(longer));

    std::vector<std::uint8_t> bad = good;
    bad[0] = 'z';
    EXPECT_FALSE(decodes(bad));
    bad = good;
    bad[3] = rdv::VERSION + 1;
    EXPECT_FALSE(decodes(bad));
    EXPECT_TRUE(rdv::is_rendezvous(bad.data(), bad.size()));  // another version is still not the game's
    for (std::uint8_t kind : {0, 13, 255}) {
        bad = good;
        bad[4] = kind;
        EXPECT_FALSE(decodes(bad)) << int(kind);
    }
    bad = good;
    bad[5 + 8 + 6 + 6] = 2;  // role
    EXPECT_FALSE(decodes(bad));

    rdv::message m = introduce();
    m.locals.push_back(ep(1, 2));
    EXPECT_FALSE(decodes(rdv::encode(m)));

    // Larger than any message, even when well-formed up to its end.
    std::vector<std::uint8_t> huge = good;
    huge.resize(rdv::MAX_MESSAGE + 1);
    EXPECT_FALSE(decodes(huge));

    m = rdv::message();
    m.kind = rdv::REFUSED;
    for (std::uint8_t reason : {0, 5}) {
        m.reason = reason;
        EXPECT_FALSE(decodes(rdv::encode(m))) << int(reason);
    }
    m = rdv::message();
    m.kind = rdv::PUNCH;
    m.ack = 2;
    EXPECT_FALSE(decodes(rdv::encode(m)));
}

TEST(RendezvousMessage, CodesOnlyOfTheAlphabet) {
    rdv::message m;
    m.kind = rdv::JOIN;
    for (const char* code : {"34679O", "ABCDEF", "acdefg", "ACDEF", "ACDEFGH", "ACD EF"}) {
        m.code = code;
        EXPECT_FALSE(decodes(rdv::encode(m))) << code;
    }

    std::string code;
    EXPECT_TRUE(rdv::normalize_code(" acd-efg ", code));
    EXPECT_EQ(code, "ACDEFG");
    EXPECT_TRUE(rdv::normalize_code("YXWVUT", code));
    EXPECT_EQ(code, "YXWVUT");
    code = "kept";
    // Look-alikes, too short, too long, other symbols.
    for (const char* typed : {"ACDEF0", "ACDEFO", "acdefl", "ACDEF", "ACDEFGH", "ACD_EF", "", "ACDEF\xc3"})
        EXPECT_FALSE(rdv::normalize_code(typed, code)) << typed;
    EXPECT_EQ(code, "kept");
}

TEST(RendezvousMessage, EndpointsAsText) {
    EXPECT_EQ(rdv::to_string(ep(0xcb007105, 24817)), "203.0.113.5:24817");
    EXPECT_EQ(rdv::to_string(rdv::endpoint()), "0.0.0.0:0");

    rdv::endpoint e;
    ASSERT_TRUE(rdv::parse_endpoint("255.255.255.255:65535", e));
    EXPECT_EQ(e, ep(0xffffffff, 65535));
    ASSERT_TRUE(rdv::parse_endpoint("198.51.100.7:1", e));
    EXPECT_EQ(rdv::to_string(e), "198.51.100.7:1");

    for (const char* text :
         {"256.0.0.1:1", "1.2.3:4", "1.2.3.4.5:6", "1.2.3.4:65536", "1.2.3.4:", "1.2.3.4", ".2.3.4:5",
          "1.2.3.4:5:6", "a.b.c.d:1", "1.2.3.4:-1", " 1.2.3.4:5", "1.2.3.4:999999", "host:24817", ""})
        EXPECT_FALSE(rdv::parse_endpoint(text, e)) << text;
    EXPECT_EQ(e, ep(0xc6336407, 1));  // untouched by the failures
}
