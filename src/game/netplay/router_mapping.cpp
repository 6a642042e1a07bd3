#include "game/netplay/router_mapping.h"

CRouterMapping::~CRouterMapping() {
    if (asking_.joinable())
        asking_.join();
    if (mapped_)
        mapping_.unmap();
}

void CRouterMapping::start(std::uint16_t port) {
    port_ = port;
    ask(false);
}

void CRouterMapping::poll() {
    if (!busy_ && mapped_ && mapping_.renewal_due(CPortMapping::clock::now()))
        ask(true);
}

void CRouterMapping::ask(bool renewal) {
    if (busy_)
        return;
    if (asking_.joinable())
        asking_.join();
    busy_ = true;
    asking_ = std::thread([this, renewal] {
        mapped_ = renewal ? mapping_.renew(error_) : mapping_.map(port_, error_);
        busy_ = false;
    });
}

rdv::endpoint CRouterMapping::external() const {
    return !busy_ && mapped_ ? mapping_.external() : rdv::endpoint{};
}

std::string CRouterMapping::method() const {
    return !busy_ && mapped_ ? mapping_.method() : "";
}
