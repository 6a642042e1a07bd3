#pragma once

// A UDP port forwarded to this machine by the router in front of it, asked through UPnP IGD first and
// NAT-PMP second, so that a host behind a home router can be reached without the player opening a
// port by hand. The mapping is removed by unmap() and by the destructor; a NAT-PMP lease (and a UPnP
// one, where the router grants only leases) must be renewed before it runs out.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "rendezvous_message.h"

class CPortMapping {
  public:
    using clock = std::chrono::steady_clock;
    // How long a mapping is asked for: a game that crashes leaves nothing open for longer.
    static constexpr std::uint32_t LEASE_S = 3600;
    // map() gives up after about this long in all, whatever the routers do.
    static constexpr int BUDGET_MS = 3000;

    CPortMapping();
    ~CPortMapping();
    CPortMapping(const CPortMapping&) = delete;
    CPortMapping& operator=(const CPortMapping&) = delete;

    // Asks the router to forward UDP `port` on its public side to `port` here. On failure, `error`
    // says what each method answered and nothing is mapped. Mapping again first removes the old one.
    bool map(std::uint16_t port, std::string& error);
    // The router's public address and the port it forwards (0:0 when nothing is mapped).
    rdv::endpoint external() const;
    // "UPnP IGD", "NAT-PMP", or "" when nothing is mapped.
    std::string method() const;
    void unmap();

    // True once half the lease has gone: time to renew().
    bool renewal_due(clock::time_point now) const;
    // Asks for the same mapping again; false (and nothing mapped any more) if the router refuses.
    bool renew(std::string& error);

  private:
    struct upnp;
    struct natpmp;
    bool map_upnp(std::uint16_t port, int budget_ms, std::string& error);
    bool map_natpmp(std::uint16_t port, int budget_ms, std::string& error);

    std::unique_ptr<upnp> upnp_;
    std::unique_ptr<natpmp> natpmp_;
    rdv::endpoint external_;
    std::uint16_t internal_port_ = 0;
    std::uint32_t lease_s_ = 0;  // 0: permanent
    clock::time_point granted_;
};
