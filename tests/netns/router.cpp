#include "router.h"

const std::vector<nat_kind>& all_nat_kinds() {
    static const std::vector<nat_kind> kinds{nat_kind::UPNP,  nat_kind::OPEN,    nat_kind::PRESERVING,
                                             nat_kind::LINUX, nat_kind::CARRIER, nat_kind::SYMMETRIC,
                                             nat_kind::BARE};
    return kinds;
}

std::string nat_name(nat_kind kind) {
    switch (kind) {
        case nat_kind::OPEN:
            return "open";
        case nat_kind::PRESERVING:
            return "preserving";
        case nat_kind::LINUX:
            return "linux";
        case nat_kind::SYMMETRIC:
            return "symmetric";
        case nat_kind::CARRIER:
            return "carrier";
        case nat_kind::UPNP:
            return "upnp";
        case nat_kind::BARE:
            return "bare";
    }
    return "?";
}

namespace {

std::string postrouting(const std::string& translation) {
    return "table ip zv_nat {\n"
           "  chain postrouting {\n"
           "    type nat hook postrouting priority srcnat; policy accept;\n"
           "    oifname \"wan\" " +
           translation +
           "\n"
           "  }\n";
}

// As every home router does: nothing from the public side reaches the router itself unless it answers
// what went out (or is `allowed`). Without it an early probe to a closed port would leave a
// connection-tracking entry that makes the router pick another port for the player's own datagrams to
// that sender.
std::string guard(const std::string& allowed = "") {
    return "table ip zv_guard {\n"
           "  chain input {\n"
           "    type filter hook input priority filter; policy accept;\n" +
           allowed +
           "    iifname \"wan\" ct state != { established, related } drop\n"
           "  }\n"
           "}\n";
}

// The empty chains miniupnpd fills, hooked where it expects them.
const char* const MINIUPNPD_CHAINS =
    "table inet filter {\n"
    "  chain forward {\n"
    "    type filter hook forward priority filter; policy accept;\n"
    "    jump miniupnpd\n"
    "  }\n"
    "  chain miniupnpd {\n"
    "  }\n"
    "  chain prerouting {\n"
    "    type nat hook prerouting priority dstnat; policy accept;\n"
    "    jump prerouting_miniupnpd\n"
    "  }\n"
    "  chain postrouting {\n"
    "    type nat hook postrouting priority 90; policy accept;\n"
    "    jump postrouting_miniupnpd\n"
    "  }\n"
    "  chain prerouting_miniupnpd {\n"
    "  }\n"
    "  chain postrouting_miniupnpd {\n"
    "  }\n"
    "}\n";

}  // namespace

std::string nat_rules(nat_kind kind, const std::string& wan, const std::string& player) {
    switch (kind) {
        case nat_kind::OPEN:
            return "";
        case nat_kind::PRESERVING:
            // One player per home: every unsolicited datagram to a high port goes to it.
            return guard() + postrouting("snat to " + wan) +
                   "  chain prerouting {\n"
                   "    type nat hook prerouting priority dstnat; policy accept;\n"
                   "    iifname \"wan\" udp dport 1024-65535 dnat to " +
                   player +
                   "\n"
                   "  }\n"
                   "}\n";
        case nat_kind::LINUX:
        case nat_kind::CARRIER:
            return guard() + postrouting("masquerade") + "}\n";
        case nat_kind::SYMMETRIC:
            return guard() + postrouting("masquerade fully-random") + "}\n";
        case nat_kind::BARE:
            return postrouting("masquerade") + "}\n";
        case nat_kind::UPNP:
            // miniupnpd's test of its public address needs the STUN server's answers from its other
            // address and port.
            return guard("    udp sport { 3478, 3479 } accept\n") + postrouting("masquerade") + "}\n" +
                   MINIUPNPD_CHAINS;
    }
    return "";
}
