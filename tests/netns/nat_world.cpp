#include "nat_world.h"

#include <filesystem>
#include <fstream>

namespace {

// A folder of its own per daemon: each writes its stdout.txt and stderr.txt there.
std::string daemon_folder(const std::string& parent, const std::string& name) {
    const std::string folder = parent + "/" + name;
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

CNatWorld::CNatWorld(const std::string& test, nat_kind a, nat_kind b, const std::string& folder)
    : spaces_(test), folder_(folder) {
    public_ = spaces_.add("pub");
    if (public_.empty() || !spaces_.run(public_, {"ip", "link", "add", "name", "hub", "type", "bridge"}) ||
        !spaces_.run(public_, {"ip", "addr", "add", std::string(SERVER) + "/24", "dev", "hub"}) ||
        !spaces_.run(public_, {"ip", "addr", "add", std::string(SERVER_ALTERNATE) + "/24", "dev", "hub"}) ||
        !spaces_.run(public_, {"ip", "link", "set", "hub", "up"}) ||
        !spaces_.run(public_, {"sysctl", "-qw", "net.ipv4.ip_forward=1"})) {
        return;
    }
    if (!build_side(0, a) || !build_side(1, b)) {
        return;
    }
    if (a == nat_kind::UPNP || b == nat_kind::UPNP) {
        if (!start_stun()) {
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (sides_[i].kind == nat_kind::UPNP && !start_miniupnpd(i, true, true)) {
                return;
            }
        }
    }
}

CNatWorld::~CNatWorld() = default;

bool CNatWorld::build_side(int index, nat_kind kind) {
    side& s = sides_[index];
    const std::string n = std::to_string(index);
    const std::string wan = "203.0.113." + std::to_string(10 + 10 * index);
    const std::string upstream = "203.0.113." + std::to_string(11 + 10 * index);  // the public side's end
    s.kind = kind;
    s.player = spaces_.add("p" + n);
    s.router = spaces_.add("r" + n);
    if (s.player.empty() || s.router.empty()) {
        return false;
    }
    // The namespace on the public side: the carrier's router, or the home router itself.
    std::string outer = s.router;
    std::string home_wan_address = wan + "/31";
    if (kind == nat_kind::CARRIER) {
        outer = spaces_.add("c" + n);
        const std::string inner = "198.18." + n + ".";
        home_wan_address = inner + "2/24";
        if (outer.empty() || !spaces_.link(s.router, "wan", home_wan_address, outer, "lan", inner + "1/24") ||
            !spaces_.run(s.router, {"ip", "route", "add", "default", "via", inner + "1"}) ||
            !spaces_.run(outer, {"ip", "route", "add", "192.0.2.0/24", "via", inner + "2"})) {
            return false;
        }
    }
    // A link of its own to the public side, which routes: a hop between the two routers, as the
    // Internet always has.
    if (!spaces_.link(outer, "wan", wan + "/31", public_, "s" + n, upstream + "/31") ||
        !spaces_.run(outer, {"ip", "route", "add", "default", "via", upstream})) {
        return false;
    }
    std::string home = "192.0.2.";
    std::string host = "10";  // the same address in both homes, as often happens
    std::string prefix = "/24";
    if (kind == nat_kind::OPEN) {
        home = "198.51.100.";
        host = std::to_string(128 * index + 2);
        prefix = "/25";
    }
    const std::string router_lan = home + (kind == nat_kind::OPEN ? std::to_string(128 * index + 1) : "1");
    s.player_address = home + host;
    s.public_address = kind == nat_kind::OPEN ? s.player_address : wan;
    if (!spaces_.link(s.router, "lan", router_lan + prefix, s.player, "eth0", s.player_address + prefix) ||
        !spaces_.run(s.player, {"ip", "route", "add", "default", "via", router_lan})) {
        return false;
    }
    if (kind == nat_kind::OPEN &&
        !spaces_.run(public_,
                     {"ip", "route", "add", home + std::to_string(128 * index) + prefix, "via", wan})) {
        return false;
    }
    for (const std::string& router : {s.router, outer}) {
        if (!spaces_.run(router, {"sysctl", "-qw", "net.ipv4.ip_forward=1"})) {
            return false;
        }
    }
    const auto load = [&](const std::string& space, nat_kind rules, const std::string& address) {
        const std::string text = nat_rules(rules, address, s.player_address);
        if (text.empty()) {
            return true;
        }
        const std::string file = folder_ + "/" + space + ".nft";
        std::ofstream(file) << text;
        return spaces_.run(space, {"nft", "-f", file});
    };
    if (kind == nat_kind::CARRIER) {
        return load(s.router, nat_kind::LINUX, "") && load(outer, nat_kind::LINUX, wan);
    }
    return load(s.router, kind, wan);
}

bool CNatWorld::start_stun() {
    stun_ = std::make_unique<CProgramRun>(daemon_folder(folder_, "stund"));
    if (!start_inside(*stun_, public_, {"/usr/sbin/stund", "-h", SERVER, "-a", SERVER_ALTERNATE})) {
        error_ = "stund did not start";
        return false;
    }
    std::string sockets;
    const bool listening = wait_for(
        [&] {
            spaces_.run(public_, {"ss", "-Hnuln"}, &sockets);
            return sockets.find(std::string(SERVER_ALTERNATE) + ":3479") != std::string::npos;
        },
        10);
    if (!listening) {
        error_ = "stund is not listening: " + sockets;
    }
    return listening;
}

bool CNatWorld::start_miniupnpd(int index, bool upnp, bool natpmp) {
    const side& s = sides_[index];
    const std::string folder = daemon_folder(folder_, "miniupnpd" + std::to_string(index));
    const std::string base = folder + "/miniupnpd";
    miniupnpd_[index].reset();
    // The public address must look routable to miniupnpd: ours are reserved ranges, so it learns its
    // address (and that nothing filters) from the STUN server instead.
    std::ofstream(base + ".conf") << "ext_ifname=wan\n"
                                     "listening_ip=lan\n"
                                     "port=0\n"
                                  << "enable_upnp=" << (upnp ? "yes" : "no") << "\n"
                                  << "enable_natpmp=" << (natpmp ? "yes" : "no") << "\n"
                                  << "secure_mode=yes\n"
                                     "ext_perform_stun=yes\n"
                                     "ext_stun_host="
                                  << SERVER
                                  << "\n"
                                     "ext_stun_port=3478\n"
                                     "upnp_table_name=filter\n"
                                     "upnp_nat_table_name=filter\n"
                                     "upnp_forward_chain=miniupnpd\n"
                                     "upnp_nat_chain=prerouting_miniupnpd\n"
                                     "upnp_nat_postrouting_chain=postrouting_miniupnpd\n"
                                     "allow 1024-65535 192.0.2.0/24 1024-65535\n"
                                     "deny 0-65535 0.0.0.0/0 0-65535\n";
    auto daemon = std::make_unique<CProgramRun>(folder);
    if (!start_inside(*daemon, s.router,
                      {"/usr/sbin/miniupnpd", "-f", base + ".conf", "-d", "-P", base + ".pid"})) {
        error_ = "miniupnpd did not start";
        return false;
    }
    const std::string ready = natpmp ? "Listening for NAT-PMP" : "HTTP listening";
    const bool serving = wait_for(
        [&] {
            const std::string log = daemon->errors();
            return log.find("firewall does not block") != std::string::npos &&
                   log.find(ready) != std::string::npos;
        },
        15);
    if (!serving) {
        error_ = "miniupnpd is not serving: " + daemon->errors();
        return false;
    }
    miniupnpd_[index] = std::move(daemon);
    return true;
}
