#include "game/netplay/network_address.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/config/command_line.h"

namespace {

launch_request parse(std::vector<const char*> words) {
    words.insert(words.begin(), "zelvorant");
    return parse_command_line(static_cast<int>(words.size()), words.data());
}

}  // namespace

TEST(NetworkAddress, PortsAndAddressesAsPlayersTypeThem) {
    std::uint16_t port = 0;
    EXPECT_TRUE(parse_port("1", port));
    EXPECT_EQ(port, 1);
    EXPECT_TRUE(parse_port("65535", port));
    EXPECT_EQ(port, 65535);
    for (const char* bad : {"", "0", "65536", "99999999999", "-5", "+5", "5 ", "0x10", "12a"})
        EXPECT_FALSE(parse_port(bad, port)) << bad;
    EXPECT_EQ(port, 65535) << "a refused port changes nothing";

    std::string host, error;
    port = 24816;
    EXPECT_TRUE(parse_address("192.168.1.20", host, port, error));
    EXPECT_EQ(host, "192.168.1.20");
    EXPECT_EQ(port, 24816);  // the default stays
    EXPECT_TRUE(parse_address("example.org:4000", host, port, error));
    EXPECT_EQ(host, "example.org");
    EXPECT_EQ(port, 4000);

    for (const char* bad : {"", ":4000", "host:", "host:0", "host:70000", "host:40:00", "two words"}) {
        error.clear();
        EXPECT_FALSE(parse_address(bad, host, port, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(host, "example.org");
    EXPECT_EQ(port, 4000);
}

TEST(NetworkAddress, AnUnusableAddressSaysWhatToType) {
    std::string host, error;
    std::uint16_t port = 24816;
    // Nothing typed, no host, or a space: what an address looks like, with the port the join would use.
    for (const char* bad : {"", ":4000", "two words"}) {
        error.clear();
        ASSERT_FALSE(parse_address(bad, host, port, error)) << bad;
        EXPECT_NE(error.find("address or name"), std::string::npos) << error;
        EXPECT_NE(error.find("not 24816"), std::string::npos) << error;
        EXPECT_NE(error.find("example.org:4000"), std::string::npos) << error;
        EXPECT_EQ(error.find('"'), std::string::npos) << "no quoted empty text: " << error;
    }
    // A bad port: which numbers a port may be, shown on the host typed.
    ASSERT_FALSE(parse_address("example.org:70000", host, port, error));
    EXPECT_NE(error.find("1 to 65535"), std::string::npos) << error;
    EXPECT_NE(error.find("example.org:24816"), std::string::npos) << error;
}

TEST(NetworkAddress, HostAndJoinOnTheCommandLine) {
    launch_request r = parse({"--host"});
    EXPECT_EQ(r.mode, LAUNCH_HOST);
    EXPECT_EQ(r.value, "");
    r = parse({"--host", "4000"});
    EXPECT_EQ(r.mode, LAUNCH_HOST);
    EXPECT_EQ(r.value, "4000");
    r = parse({"--host=4001"});
    EXPECT_EQ(r.value, "4001");
    r = parse({"--join", "10.0.0.2:4000"});
    EXPECT_EQ(r.mode, LAUNCH_JOIN);
    EXPECT_EQ(r.value, "10.0.0.2:4000");

    EXPECT_EQ(parse({"--join"}).mode, LAUNCH_BAD_USAGE);
    EXPECT_EQ(parse({"--host", "--join", "x"}).mode, LAUNCH_BAD_USAGE);  // one option at a time
    EXPECT_EQ(parse({"--host", "1", "2"}).mode, LAUNCH_BAD_USAGE);
    const std::string usage = usage_text();
    EXPECT_NE(usage.find("--host [PORT]"), std::string::npos);
    EXPECT_NE(usage.find("--join HOST[:PORT]"), std::string::npos);
}
