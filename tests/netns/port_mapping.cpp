// Port mapping against the real miniupnpd on a router namespace: what the router forwards, what the
// player is told, and that it all goes again when the mapping is removed.
#include "net/port_mapping.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "nat_world.h"
#include "needs.h"
#include "scratch_folder.h"
#include "udp_probe.h"

namespace {

constexpr unsigned short GAME_PORT = 24816;

std::uint32_t address_value(const std::string& text) {
    in_addr a{};
    inet_pton(AF_INET, text.c_str(), &a);
    return ntohl(a.s_addr);
}

class PortMappingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        NEEDS(namespaces_available(), "root with network namespaces");
        world_ = std::make_unique<CNatWorld>("portmap", nat_kind::UPNP, nat_kind::OPEN,
                                             scratch_dir("port_mapping"));
        ASSERT_TRUE(world_->ready()) << world_->error();
        game_ = udp_socket_in(world_->at(0).player, "0.0.0.0", GAME_PORT);
        ASSERT_GE(game_, 0);
    }
    void TearDown() override {
        if (game_ >= 0) {
            close(game_);
        }
    }
    // The router's forwarding rules, as miniupnpd wrote them.
    std::string forwarding() {
        std::string rules;
        world_->spaces().run(world_->at(0).router,
                             {"nft", "list", "chain", "inet", "filter", "prerouting_miniupnpd"}, &rules);
        return rules;
    }
    bool rule_present() {
        const std::string rules = forwarding();
        return rules.find(world_->at(0).player_address + ":" + std::to_string(GAME_PORT)) !=
               std::string::npos;
    }
    // A new outsider, one the router has never seen (a datagram that came through before keeps its
    // connection-tracking entry after the mapping goes), reaches the player's game port.
    bool reaches_player(const rdv::endpoint& target) {
        const int outsider = udp_socket_in(world_->public_space(), CNatWorld::SERVER_ALTERNATE,
                                           static_cast<unsigned short>(7010 + ++sent_));
        const std::string word = "through" + std::to_string(sent_);
        in_addr a{htonl(target.address)};
        const bool through = outsider >= 0 && send_text(outsider, inet_ntoa(a), target.port, word) &&
                             receive_text(game_, 500) == word;
        if (outsider >= 0) {
            close(outsider);
        }
        return through;
    }
    void expect_mapped(CPortMapping& mapping, const std::string& method) {
        EXPECT_EQ(mapping.method(), method);
        EXPECT_EQ(mapping.external(),
                  (rdv::endpoint{address_value(world_->at(0).public_address), GAME_PORT}));
        EXPECT_TRUE(rule_present()) << forwarding();
        EXPECT_TRUE(reaches_player(mapping.external()));
    }

    std::unique_ptr<CNatWorld> world_;
    int game_ = -1;
    int sent_ = 0;
};

TEST_F(PortMappingTest, UpnpForwardsThePortUntilUnmapped) {
    CInNamespace inside(world_->at(0).player);
    ASSERT_TRUE(inside.entered());
    CPortMapping mapping;
    std::string error;
    ASSERT_TRUE(mapping.map(GAME_PORT, error)) << error;
    expect_mapped(mapping, "UPnP IGD");

    const auto now = CPortMapping::clock::now();
    EXPECT_FALSE(mapping.renewal_due(now));
    EXPECT_TRUE(mapping.renewal_due(now + std::chrono::seconds(CPortMapping::LEASE_S / 2 + 1)));
    ASSERT_TRUE(mapping.renew(error)) << error;
    EXPECT_TRUE(rule_present());

    const rdv::endpoint was = mapping.external();
    mapping.unmap();
    EXPECT_EQ(mapping.method(), "");
    EXPECT_EQ(mapping.external(), rdv::endpoint{});
    EXPECT_FALSE(rule_present()) << forwarding();
    EXPECT_FALSE(reaches_player(was));
}

TEST_F(PortMappingTest, NatPmpWhenTheRouterSpeaksNoUpnpAndTheMappingGoesWithItsOwner) {
    ASSERT_TRUE(world_->start_miniupnpd(0, false, true)) << world_->error();
    rdv::endpoint was;
    {
        CInNamespace inside(world_->at(0).player);
        ASSERT_TRUE(inside.entered());
        CPortMapping mapping;
        std::string error;
        ASSERT_TRUE(mapping.map(GAME_PORT, error)) << error;
        expect_mapped(mapping, "NAT-PMP");
        ASSERT_TRUE(mapping.renew(error)) << error;
        EXPECT_TRUE(rule_present());
        was = mapping.external();
    }
    EXPECT_FALSE(rule_present()) << forwarding();
    EXPECT_FALSE(reaches_player(was));
}

TEST_F(PortMappingTest, ARouterWithNeitherSaysSoAndGivesUpInTime) {
    // The other side's plain router: no miniupnpd there.
    CInNamespace inside(world_->at(1).player);
    ASSERT_TRUE(inside.entered());
    CPortMapping mapping;
    std::string error;
    const auto start = CPortMapping::clock::now();
    EXPECT_FALSE(mapping.map(GAME_PORT, error));
    // A hang check, not a speed measurement: the bound is the budget plus generous slack.
    EXPECT_LT(CPortMapping::clock::now() - start, std::chrono::milliseconds(2 * CPortMapping::BUDGET_MS));
    EXPECT_NE(error.find("UPnP IGD: "), std::string::npos) << error;
    EXPECT_NE(error.find("NAT-PMP: "), std::string::npos) << error;
    EXPECT_EQ(mapping.method(), "");
    EXPECT_EQ(mapping.external(), rdv::endpoint{});
    EXPECT_FALSE(mapping.renewal_due(CPortMapping::clock::now() + std::chrono::hours(2)));
}

}  // namespace
