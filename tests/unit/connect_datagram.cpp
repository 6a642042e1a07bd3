#include "net/connect_datagram.h"

#include <gtest/gtest.h>

#include <vector>

#include "connect_request.h"

TEST(ConnectDatagram, OnlyARequestFromNoPeerYetIsSeenAsOne) {
    const std::vector<std::uint8_t> request = connect_request(7);
    EXPECT_TRUE(is_connect_request(request.data(), request.size()));
    // Without the sent time the command starts two bytes earlier.
    const std::vector<std::uint8_t> short_header = {0x0f, 0xff, 0x82, 0xff, 0x00, 0x01};
    EXPECT_TRUE(is_connect_request(short_header.data(), short_header.size()));

    std::vector<std::uint8_t> from_peer = request;
    from_peer[1] = 0x01;  // peer 1: a connection that exists already
    EXPECT_FALSE(is_connect_request(from_peer.data(), from_peer.size()));
    std::vector<std::uint8_t> other_command = request;
    other_command[4] = 0x86;  // a reliable send
    EXPECT_FALSE(is_connect_request(other_command.data(), other_command.size()));
    // Cut before the command: nothing to read, nothing seen.
    EXPECT_FALSE(is_connect_request(request.data(), 4));
    EXPECT_FALSE(is_connect_request(request.data(), 1));
    EXPECT_FALSE(is_connect_request(nullptr, 0));
}
