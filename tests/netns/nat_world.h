#pragma once

// Two players, each behind a router of some kind, and a "public" namespace between the routers where
// a server runs: the Internet in small, made of namespaces, veth pairs and nftables.
//
//   player0 -- router0 --+                           (carrier: player -- home router -- carrier router)
//                        +-- public (203.0.113.1, .2), which routes between the two
//   player1 -- router1 --+
//
// Public side 203.0.113.0/24: the servers' addresses in the public namespace, each router's public
// address (.10, .20) on a link of its own to it (.11, .21); homes behind a NAT 192.0.2.0/24 (the same
// on both sides, as home networks often are, the player at 192.0.2.10 in both); homes with no NAT
// 198.51.100.0/25 and .128/25; between two NATs 198.18.N.0/24.
#include <memory>
#include <string>

#include "namespaces.h"
#include "program_run.h"
#include "router.h"

class CNatWorld {
  public:
    static constexpr const char* SERVER = "203.0.113.1";
    static constexpr const char* SERVER_ALTERNATE = "203.0.113.2";

    struct side {
        nat_kind kind = nat_kind::OPEN;
        std::string player;          // namespace
        std::string player_address;  // its own address
        std::string router;          // the namespace its player's default route points to
        std::string public_address;  // what the public side sees it as
    };

    // `test` names the namespaces; `folder` (existing) holds the daemons' files. miniupnpd runs with
    // both UPnP IGD and NAT-PMP on a UPNP router.
    CNatWorld(const std::string& test, nat_kind a, nat_kind b, const std::string& folder);
    ~CNatWorld();
    CNatWorld(const CNatWorld&) = delete;
    CNatWorld& operator=(const CNatWorld&) = delete;

    // False, with error() saying why, when something could not be built.
    bool ready() const { return spaces_.error().empty() && error_.empty(); }
    std::string error() const { return spaces_.error().empty() ? error_ : spaces_.error(); }

    const std::string& public_space() const { return public_; }
    const side& at(int index) const { return sides_[index]; }
    CNamespaces& spaces() { return spaces_; }

    // (Re)starts side `index`'s miniupnpd with the protocols asked; waits until it serves them.
    bool start_miniupnpd(int index, bool upnp, bool natpmp);

  private:
    bool build_side(int index, nat_kind kind);
    bool start_stun();

    CNamespaces spaces_;  // first, so that it goes last: the daemons die before their namespaces
    std::string folder_;
    std::string public_;
    side sides_[2];
    std::unique_ptr<CProgramRun> stun_;
    std::unique_ptr<CProgramRun> miniupnpd_[2];
    std::string error_;
};
