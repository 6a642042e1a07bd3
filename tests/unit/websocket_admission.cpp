// What decides whether a WebSocket connection is taken and what it costs: the origin list of the
// configuration, the client address a proxy names, and the bound on datagrams waiting for a reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "server/datagram_queue.h"
#include "server/forwarded_address.h"
#include "server/origin_list.h"

namespace {

bool allows(const COriginList& list, const char* origin) {
    return list.allows(origin, std::strlen(origin));
}

std::uint32_t forwarded(const char* header, std::uint64_t salt = 1) {
    std::uint32_t address = 0;
    return forwarded_address(header, std::strlen(header), salt, address) ? address : 0;
}

}  // namespace

TEST(OriginList, OriginsOfPagesOrAnyAndClearReasonsForTheRest) {
    COriginList list;
    std::string error;
    ASSERT_TRUE(list.parse("*", error));
    EXPECT_TRUE(allows(list, "https://anywhere.example"));
    EXPECT_TRUE(list.allows("", 0));  // programs that are not browsers

    ASSERT_TRUE(list.parse("https://Play.Example.org/ ,http://127.0.0.1:8000\thttp://[::1]:80", error))
        << error;
    EXPECT_TRUE(allows(list, "https://play.example.org"));
    EXPECT_TRUE(allows(list, "http://127.0.0.1:8000"));
    EXPECT_TRUE(allows(list, "http://[::1]:80"));
    for (const char* other : {"https://play.example.org.evil.example", "https://evil.example",
                              "http://127.0.0.1", "https://play.example.org:443", "null", ""})
        EXPECT_FALSE(allows(list, other)) << other;

    const char* bad[] = {"",
                         "   ",
                         "ftp://x.example",
                         "https://",
                         "https://x.example/path",
                         "https://x.example:",
                         "https://x.example:123456",
                         "https://x y",
                         "*, https://x.example",
                         "https://[::1"};
    for (const char* text : bad) {
        error.clear();
        EXPECT_FALSE(list.parse(text, error)) << text;
        EXPECT_FALSE(error.empty());
        // A refused list leaves the one before.
        EXPECT_TRUE(allows(list, "https://play.example.org")) << text;
        EXPECT_FALSE(allows(list, "https://evil.example")) << text;
    }
}

TEST(ForwardedAddress, TheLastEntryAndIpv6ClientsByPrefix) {
    EXPECT_EQ(forwarded("203.0.113.7"), 0xcb007107u);
    EXPECT_EQ(forwarded(" 198.51.100.1 , 203.0.113.8 "), 0xcb007108u);
    EXPECT_EQ(forwarded("::ffff:192.0.2.1"), 0xc0000201u);
    for (const char* bad :
         {"", " ", "203.0.113.7,", "unknown", "203.0.113.256", "203.0.113.7:80", "1.2.3.4, x"})
        EXPECT_EQ(forwarded(bad), 0u) << bad;

    // One subscriber's /64 is one address; addresses of one /48 share a network; the salt decides where.
    const std::uint32_t a = forwarded("2001:db8:1:2::1");
    EXPECT_EQ(a >> 28, 0xfu);
    EXPECT_EQ(forwarded("2001:db8:1:2:ffff::9"), a);
    const std::uint32_t b = forwarded("2001:db8:1:3::1");
    EXPECT_EQ(b & 0xffffff00u, a & 0xffffff00u);
    EXPECT_NE(forwarded("2001:db8:2:2::1") & 0xffffff00u, a & 0xffffff00u);
    EXPECT_NE(forwarded("2001:db8:1:2::1", 2), a);
}

TEST(DatagramQueue, OldestFirstWithinItsOwnLimitAndTheSharedBudget) {
    queue_budget shared;
    shared.limit = 1000;
    CDatagramQueue one;
    CDatagramQueue two;
    one.charge_to(&shared, 700, 16);
    two.charge_to(&shared, 700, 16);
    const std::uint8_t datagram[100] = {1, 2, 3};
    int taken = 0;
    while (one.push(datagram, sizeof datagram))
        ++taken;
    EXPECT_GE(taken, 3);
    EXPECT_LE(one.bytes(), 700u);
    EXPECT_EQ(shared.used, one.bytes());
    // What one queue left of the budget is all the other may take.
    int second = 0;
    while (two.push(datagram, sizeof datagram))
        ++second;
    EXPECT_LE(shared.used, shared.limit);
    EXPECT_LT(second, taken);

    std::size_t size = 0;
    std::uint8_t* front = one.front(size);
    EXPECT_EQ(size, sizeof datagram);
    EXPECT_EQ(front[2], 3);
    front[-16] = 0xff;  // the headroom is the queue's to lend
    one.pop();
    EXPECT_TRUE(two.push(datagram, sizeof datagram));
    one.clear();
    two.clear();
    EXPECT_EQ(shared.used, 0u);
    EXPECT_TRUE(one.empty());
}
