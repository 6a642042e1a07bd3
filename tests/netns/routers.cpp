// The simulated routers do what their kind says to a player's datagrams, seen from the public side:
// which port the outside sees, and who may send in. The matrix of online play rests on this.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "nat_world.h"
#include "needs.h"
#include "scratch_folder.h"
#include "udp_probe.h"

namespace {

constexpr unsigned short GAME_PORT = 24816;

std::string port_of(const std::string& endpoint) {
    return endpoint.substr(endpoint.find(':') + 1);
}
std::string address_of(const std::string& endpoint) {
    return endpoint.substr(0, endpoint.find(':'));
}

class RouterProbe : public ::testing::TestWithParam<nat_kind> {};

TEST_P(RouterProbe, MapsAndFiltersAsItsKindSays) {
    NEEDS(namespaces_available(), "root with network namespaces");
    const nat_kind kind = GetParam();
    CNatWorld world("routers", kind, nat_kind::OPEN, scratch_dir("routers_" + nat_name(kind)));
    ASSERT_TRUE(world.ready()) << world.error();
    const auto& player = world.at(0);

    CEchoServer first(world.public_space(), CNatWorld::SERVER, 7001);
    CEchoServer second(world.public_space(), CNatWorld::SERVER, 7002);
    CEchoServer third(world.public_space(), CNatWorld::SERVER_ALTERNATE, 7003);
    ASSERT_TRUE(first.ready() && second.ready() && third.ready());
    const int game = udp_socket_in(player.player, "0.0.0.0", GAME_PORT);
    ASSERT_GE(game, 0);

    const std::string seen[] = {seen_by(game, CNatWorld::SERVER, 7001),
                                seen_by(game, CNatWorld::SERVER, 7002),
                                seen_by(game, CNatWorld::SERVER_ALTERNATE, 7003)};
    std::set<std::string> ports;
    for (const std::string& s : seen) {
        ASSERT_FALSE(s.empty()) << "no answer through a " << nat_name(kind) << " router";
        EXPECT_EQ(address_of(s), player.public_address);
        ports.insert(port_of(s));
    }
    if (kind == nat_kind::SYMMETRIC) {
        EXPECT_GE(ports.size(), 2u) << "the same port for three destinations: " << *ports.begin();
    } else {
        EXPECT_EQ(ports, std::set<std::string>{std::to_string(GAME_PORT)});
    }

    // A sender the player never wrote to, aiming at the endpoint the first server saw.
    const int stranger = udp_socket_in(world.public_space(), CNatWorld::SERVER_ALTERNATE, 7004);
    ASSERT_GE(stranger, 0);
    ASSERT_TRUE(send_text(stranger, address_of(seen[0]),
                          static_cast<unsigned short>(std::stoi(port_of(seen[0]))), "unsolicited"));
    const bool let_in = kind == nat_kind::OPEN || kind == nat_kind::PRESERVING;
    EXPECT_EQ(receive_text(game, 500) == "unsolicited", let_in);

    // The player now writes to that sender, as a probe answered from both sides at once does: what was
    // kept out leaves no trace that would make the router give the player another port. A bare router
    // answered the stranger itself and keeps that entry: the player's datagram leaves on another port,
    // which is why the first probes go no further than the player's own router.
    ASSERT_TRUE(send_text(game, CNatWorld::SERVER_ALTERNATE, 7004, "hello"));
    std::string sender;
    EXPECT_EQ(receive_text(stranger, 500, &sender), "hello");
    if (kind == nat_kind::BARE) {
        EXPECT_NE(sender, seen[0]);
    } else if (kind != nat_kind::SYMMETRIC) {
        EXPECT_EQ(sender, seen[0]);
    }
    close(stranger);
    close(game);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RouterProbe, ::testing::ValuesIn(all_nat_kinds()),
                         [](const auto& info) { return nat_name(info.param); });

TEST(Namespaces, GoAwayWithTheirOwnerAndTheirLeftoversWithTheNextRun) {
    NEEDS(namespaces_available(), "root with network namespaces");
    std::string name;
    {
        CNamespaces spaces("cleanup");
        name = spaces.add("a");
        ASSERT_FALSE(name.empty()) << spaces.error();
        EXPECT_EQ(run_command(inside(name, {"true"})), 0);
    }
    EXPECT_NE(run_command(inside(name, {"true"})), 0) << name << " outlived its owner";

    // A crashed run's namespace: the pid in its name belongs to no process (pid_max is below 2^22).
    const std::string leftover = "zv-cleanup-4999999-0-a";
    ASSERT_EQ(run_command({"ip", "netns", "add", leftover}), 0);
    CNamespaces next("cleanup");
    EXPECT_NE(run_command(inside(leftover, {"true"})), 0) << "the leftover is still there";
    run_command({"ip", "netns", "delete", leftover});
}

}  // namespace
