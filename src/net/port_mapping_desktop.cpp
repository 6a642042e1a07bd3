#include "port_mapping.h"

#include <arpa/inet.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <sys/select.h>

#include <algorithm>
#include <cstring>

#define ENABLE_STRNATPMPERR
#include <natpmp.h>

namespace {

using clock_type = CPortMapping::clock;

int milliseconds_since(clock_type::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - start).count());
}

bool parse_address(const char* text, std::uint32_t& address) {
    in_addr parsed{};
    if (inet_pton(AF_INET, text, &parsed) != 1) {
        return false;
    }
    address = ntohl(parsed.s_addr);
    return address != 0;
}

// Private and carrier-grade NAT addresses: a router given one sits behind another NAT, so what it
// forwards cannot be reached from the Internet.
bool behind_another_nat(std::uint32_t address) {
    return (address >> 24) == 10 || (address >> 20) == 0xAC1 || (address >> 16) == 0xC0A8 ||
           (address >> 22) == 0x191;
}

// libnatpmp resends on its own schedule (250 ms, then doubling) but has no overall limit: ours is
// `deadline`. NATPMP_TRYAGAIN when it passes with no answer.
int await_natpmp(natpmp_t& handle, natpmpresp_t& response, clock_type::time_point deadline) {
    for (int round = 0; round < 64; ++round) {
        const int result = readnatpmpresponseorretry(&handle, &response);
        if (result != NATPMP_TRYAGAIN) {
            return result;
        }
        const auto now = clock_type::now();
        if (now >= deadline) {
            break;
        }
        timeval wait{};
        getnatpmprequesttimeout(&handle, &wait);
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
        const long long wanted = static_cast<long long>(wait.tv_sec) * 1000000 + wait.tv_usec;
        const long long chosen = std::max(0LL, std::min<long long>(wanted, left));
        wait.tv_sec = static_cast<time_t>(chosen / 1000000);
        wait.tv_usec = static_cast<suseconds_t>(chosen % 1000000);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle.s, &readable);
        select(handle.s + 1, &readable, nullptr, nullptr, &wait);
    }
    return NATPMP_TRYAGAIN;
}

std::string natpmp_failure(int result) {
    if (result == NATPMP_TRYAGAIN) {
        return "no answer from the gateway";
    }
    return strnatpmperr(result);
}

}  // namespace

struct CPortMapping::upnp {
    UPNPUrls urls{};
    IGDdatas data{};
    bool have_urls = false;
    char lan_address[64] = {};

    ~upnp() {
        if (have_urls) {
            FreeUPNPUrls(&urls);
        }
    }
    // 0 or the IGD's error code.
    int add(std::uint16_t port, std::uint32_t lease_s) {
        const std::string number = std::to_string(port);
        const std::string lease = std::to_string(lease_s);
        return UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, number.c_str(), number.c_str(),
                                   lan_address, "Zelvorant", "UDP", nullptr, lease.c_str());
    }
    void remove(std::uint16_t port) {
        const std::string number = std::to_string(port);
        UPNP_DeletePortMapping(urls.controlURL, data.first.servicetype, number.c_str(), "UDP", nullptr);
    }
};

struct CPortMapping::natpmp {
    natpmp_t handle{};
    bool open = false;

    ~natpmp() {
        if (open) {
            closenatpmp(&handle);
        }
    }
    int ask(std::uint16_t internal, std::uint16_t external, std::uint32_t lease_s, natpmpresp_t& response,
            clock_type::time_point deadline) {
        const int sent = sendnewportmappingrequest(&handle, NATPMP_PROTOCOL_UDP, internal, external, lease_s);
        if (sent < 0) {
            return sent;
        }
        return await_natpmp(handle, response, deadline);
    }
};

CPortMapping::CPortMapping() = default;

CPortMapping::~CPortMapping() {
    unmap();
}

bool CPortMapping::map(std::uint16_t port, std::string& error) {
    unmap();
    const auto start = clock::now();
    std::string upnp_error;
    if (map_upnp(port, BUDGET_MS / 2, upnp_error)) {
        return true;
    }
    std::string natpmp_error;
    const int left = std::max(BUDGET_MS / 4, BUDGET_MS - milliseconds_since(start));
    if (map_natpmp(port, left, natpmp_error)) {
        return true;
    }
    error = "UPnP IGD: " + upnp_error + "; NAT-PMP: " + natpmp_error;
    return false;
}

bool CPortMapping::map_upnp(std::uint16_t port, int budget_ms, std::string& error) {
    // Two search types cover IGD v1 and v2 routers; each waits half the budget at most.
    static const char* const kinds[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                        "urn:schemas-upnp-org:service:WANIPConnection:1", nullptr};
    int discovery_error = 0;
    UPNPDev* devices = upnpDiscoverDevices(kinds, budget_ms / 2, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2,
                                           &discovery_error, 0);
    if (devices == nullptr) {
        error = "no device answered";
        return false;
    }
    auto found = std::make_unique<upnp>();
    const int igd =
        UPNP_GetValidIGD(devices, &found->urls, &found->data, found->lan_address, sizeof found->lan_address);
    freeUPNPDevlist(devices);
    found->have_urls = igd != 0;
    // miniupnpc also answers 2 for a connected gateway whose public address it deems reserved: that
    // address is judged below.
    const bool connected = igd == 1 || (igd == 2 && UPNPIGD_IsConnected(&found->urls, &found->data) == 1);
    if (!connected) {
        error = igd == 0   ? "no Internet gateway among the devices"
                : igd == 2 ? "the gateway is not connected"
                           : "the device is not an Internet gateway";
        return false;
    }
    std::uint32_t lease = LEASE_S;
    int result = found->add(port, lease);
    if (result == 725) {  // OnlyPermanentLeasesSupported
        lease = 0;
        result = found->add(port, lease);
    }
    if (result != 0) {
        const char* text = strupnperror(result);
        error =
            "the gateway refused (" + std::to_string(result) + (text ? std::string(" ") + text : "") + ")";
        return false;
    }
    char public_address[40] = {};
    std::uint32_t address = 0;
    const int asked =
        UPNP_GetExternalIPAddress(found->urls.controlURL, found->data.first.servicetype, public_address);
    if (asked != 0 || !parse_address(public_address, address) || behind_another_nat(address)) {
        found->remove(port);
        error = address == 0
                    ? "the gateway has no public address"
                    : "the gateway is itself behind another NAT (" + std::string(public_address) + ")";
        return false;
    }
    upnp_ = std::move(found);
    external_ = {address, port};
    internal_port_ = port;
    lease_s_ = lease;
    granted_ = clock::now();
    return true;
}

bool CPortMapping::map_natpmp(std::uint16_t port, int budget_ms, std::string& error) {
    const auto deadline = clock::now() + std::chrono::milliseconds(budget_ms);
    auto found = std::make_unique<natpmp>();
    int result = initnatpmp(&found->handle, 0, 0);
    if (result < 0) {
        error = natpmp_failure(result);
        return false;
    }
    found->open = true;
    natpmpresp_t response{};
    result = sendpublicaddressrequest(&found->handle);
    if (result >= 0) {
        result = await_natpmp(found->handle, response, deadline);
    }
    if (result < 0) {
        error = natpmp_failure(result);
        return false;
    }
    const std::uint32_t address = ntohl(response.pnu.publicaddress.addr.s_addr);
    if (address == 0 || behind_another_nat(address)) {
        error =
            address == 0 ? "the gateway has no public address" : "the gateway is itself behind another NAT";
        return false;
    }
    result = found->ask(port, port, LEASE_S, response, deadline);
    if (result < 0) {
        error = natpmp_failure(result);
        return false;
    }
    natpmp_ = std::move(found);
    external_ = {address, response.pnu.newportmapping.mappedpublicport};
    internal_port_ = port;
    lease_s_ = response.pnu.newportmapping.lifetime;
    granted_ = clock::now();
    return true;
}

rdv::endpoint CPortMapping::external() const {
    return external_;
}

std::string CPortMapping::method() const {
    if (upnp_) {
        return "UPnP IGD";
    }
    if (natpmp_) {
        return "NAT-PMP";
    }
    return "";
}

bool CPortMapping::renewal_due(clock::time_point now) const {
    if (method().empty() || lease_s_ == 0) {
        return false;
    }
    return now - granted_ >= std::chrono::seconds(lease_s_ / 2);
}

bool CPortMapping::renew(std::string& error) {
    if (upnp_) {
        const int result = upnp_->add(internal_port_, lease_s_);
        if (result == 0) {
            granted_ = clock::now();
            return true;
        }
        error = "UPnP IGD: the gateway refused the renewal (" + std::to_string(result) + ")";
    } else if (natpmp_) {
        natpmpresp_t response{};
        const auto deadline = clock::now() + std::chrono::milliseconds(BUDGET_MS / 2);
        const int result = natpmp_->ask(internal_port_, external_.port, LEASE_S, response, deadline);
        // A gateway that restarted may hand out another public port: the one we announced is gone.
        if (result >= 0 && response.pnu.newportmapping.mappedpublicport == external_.port) {
            lease_s_ = response.pnu.newportmapping.lifetime;
            granted_ = clock::now();
            return true;
        }
        error = "NAT-PMP: " + (result < 0 ? natpmp_failure(result) : std::string("the public port changed"));
    } else {
        error = "nothing is mapped";
        return false;
    }
    unmap();
    return false;
}

void CPortMapping::unmap() {
    if (upnp_) {
        upnp_->remove(external_.port);
    }
    if (natpmp_) {
        // A lifetime of 0 removes the mapping; a short wait lets the gateway's answer come back.
        natpmpresp_t response{};
        natpmp_->ask(internal_port_, 0, 0, response, clock::now() + std::chrono::milliseconds(500));
    }
    upnp_.reset();
    natpmp_.reset();
    external_ = {};
    internal_port_ = 0;
    lease_s_ = 0;
}
