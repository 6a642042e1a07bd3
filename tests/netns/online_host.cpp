// A host online whose machine has a public address of its own, behind no router: the real rendezvous
// server sees it at that address, and the waiting screen says that no port needs opening.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "game/config/settings.h"
#include "game/netplay/network_match.h"
#include "nat_world.h"
#include "needs.h"
#include "scratch_folder.h"

namespace {

constexpr const char* SERVER_PORT = "24817";

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(OnlineHost, APublicHostIsToldItNeedsNoPortOpened) {
    NEEDS(namespaces_available(), "root with network namespaces");
    const std::string folder = scratch_dir("online_host");
    CNatWorld world("onlinehost", nat_kind::OPEN, nat_kind::OPEN, folder);
    ASSERT_TRUE(world.ready()) << world.error();
    CProgramRun server(folder);
    ASSERT_TRUE(start_inside(server, world.public_space(),
                             {SERVER_PROGRAM, "--address", CNatWorld::SERVER, "--port", SERVER_PORT}));
    ASSERT_TRUE(wait_for([&] { return server.errors().find("listening on") != std::string::npos; }, 10))
        << server.errors();

    CInNamespace inside(world.at(0).player);
    ASSERT_TRUE(inside.entered());
    global::settings.rendezvous_server = std::string(CNatWorld::SERVER) + ":" + SERVER_PORT;
    std::string error;
    ASSERT_TRUE(network_match::host_online(0, error)) << error;
    // The router is asked first; with none there, the answer comes once the asking gives up.
    const double end = seconds_now() + 15;
    std::string note;
    while (seconds_now() < end && note.find("port opened") == std::string::npos &&
           note.find("opened no port") == std::string::npos) {
        network_match::poll();
        note = network_match::note();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(note.find("No router in front of this machine: it needs no port opened"), std::string::npos)
        << note;
    EXPECT_FALSE(network_match::invite_code().empty()) << note;
    network_match::close("");
}

}  // namespace
