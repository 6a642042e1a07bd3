#pragma once

// The kinds of router a player may sit behind, as nftables rule sets for a router namespace whose
// public side is interface "wan" and whose home side is "lan". All but OPEN and BARE keep unsolicited
// datagrams from the public side away from the router itself, as home routers do.
#include <string>
#include <vector>

enum class nat_kind {
    OPEN,        // routes public addresses, translates nothing, filters nothing
    PRESERVING,  // keeps the port and lets any outside sender in on it (endpoint-independent filtering)
    LINUX,       // plain masquerade: keeps the port when free, lets in only answers to what went out
    SYMMETRIC,   // a new random port for every new destination
    CARRIER,     // a home router's masquerade behind a carrier's (two NATs in a row)
    UPNP,        // plain masquerade, plus miniupnpd forwarding what a player asks for
    BARE,        // plain masquerade with nothing in front of the router itself: a datagram it does not
                 // expect reaches it, is answered, and leaves a connection entry behind
};

const std::vector<nat_kind>& all_nat_kinds();
std::string nat_name(nat_kind kind);

// The rule set one router loads (`player` is the address it forwards to where it forwards everything,
// `wan` its public address); empty for OPEN.
std::string nat_rules(nat_kind kind, const std::string& wan, const std::string& player);
