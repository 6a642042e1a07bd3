#include "port_mapping.h"

// A page cannot reach the router in front of it: nothing is ever mapped.
struct CPortMapping::upnp {};
struct CPortMapping::natpmp {};

CPortMapping::CPortMapping() = default;

CPortMapping::~CPortMapping() = default;

bool CPortMapping::map(std::uint16_t, std::string& error) {
    error = "a browser cannot ask the router to forward a port";
    return false;
}

rdv::endpoint CPortMapping::external() const {
    return external_;
}

std::string CPortMapping::method() const {
    return "";
}

bool CPortMapping::renewal_due(clock::time_point) const {
    return false;
}

bool CPortMapping::renew(std::string& error) {
    error = "nothing is mapped";
    return false;
}

void CPortMapping::unmap() {}
