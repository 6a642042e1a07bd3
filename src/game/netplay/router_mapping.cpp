#include "game/netplay/router_mapping.h"

#if __has_include("net/port_mapping.h")
#include "net/port_mapping.h"

struct CRouterMapping::router : CPortMapping {};
#else
// PORT MAPPING CALL SITE: CPortMapping (UPnP IGD, NAT-PMP) comes with the port-mapping work; until this
// build has net/port_mapping.h, no router is asked and hosting goes on without a mapping.
struct CRouterMapping::router {
    bool map(std::uint16_t, std::string& error) {
        error = "this build asks no router for a port mapping";
        return false;
    }
    rdv::endpoint external() const { return {}; }
    std::string method() const { return ""; }
    void unmap() {}
};
#endif

CRouterMapping::CRouterMapping() : router_(std::make_unique<router>()) {}

CRouterMapping::~CRouterMapping() {
    if (asking_.joinable())
        asking_.join();
    if (mapped_)
        router_->unmap();
}

void CRouterMapping::start(std::uint16_t port) {
    if (asking_.joinable())
        return;
    asking_ = std::thread([this, port] {
        mapped_ = router_->map(port, error_);
        finished_ = true;
    });
}

rdv::endpoint CRouterMapping::external() const {
    return finished_ && mapped_ ? router_->external() : rdv::endpoint{};
}

std::string CRouterMapping::method() const {
    return finished_ && mapped_ ? router_->method() : "";
}

std::string CRouterMapping::error() const {
    return finished_ ? error_ : "";
}
