// A headless online player for the router matrix: hosts through a rendezvous server (asking its
// router for a port mapping first) or joins by code, connects the way the game does, then the joiner
// sends seeded commands for a while and both print what they hash of them. Output, one item a line:
// "code C" (host), "path P", "connect_ms N", "hash H". Exit 0 when connected and done.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "general/hash64.h"
#include "net/link.h"
#include "net/port_mapping.h"
#include "net/rendezvous_client.h"

namespace {

constexpr std::uint16_t GAME_PORT = 24816;

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int usage() {
    std::fprintf(stderr, "usage: online-player host SERVER:PORT SECONDS | join SERVER:PORT CODE SECONDS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string role = argc > 1 ? argv[1] : "";
    const bool hosting = role == "host";
    if ((hosting && argc != 4) || (role == "join" && argc != 5) || (!hosting && role != "join")) {
        return usage();
    }
    rdv::endpoint server;
    if (!rdv::parse_endpoint(argv[2], server)) {
        return usage();
    }
    const double play_seconds = std::atof(argv[argc - 1]);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    CNetLink link;
    std::string error;
    if (!(hosting ? link.listen(GAME_PORT, 1, error) : link.open(GAME_PORT, error))) {
        std::fprintf(stderr, "online-player: %s\n", error.c_str());
        return 1;
    }
    std::vector<rdv::endpoint> locals;
    for (const std::string& address : CNetLink::local_addresses()) {
        rdv::endpoint e;
        if (rdv::parse_endpoint(address + ":" + std::to_string(GAME_PORT), e)) {
            locals.push_back(e);
        }
    }
    CPortMapping mapping;
    if (hosting && !mapping.map(GAME_PORT, error)) {
        std::fprintf(stderr, "online-player: no mapping: %s\n", error.c_str());
    }
    CRendezvousClient client(
        server, locals,
        [&link](const rdv::endpoint& to, const std::vector<std::uint8_t>& d) { link.send_datagram(to, d); });
    link.on_rendezvous([&client](const rdv::endpoint& from, const std::uint8_t* data, std::size_t size) {
        client.received(from, data, size, seconds_now());
    });
    const double start = seconds_now();
    if (hosting) {
        client.host(mapping.external(), start);
    } else if (!client.join(argv[3], start)) {
        std::fprintf(stderr, "online-player: %s\n", client.error().c_str());
        return 1;
    }

    // The joiner's commands: a fixed seed, one every 50 ms, so both sides can hash the same stream.
    std::mt19937 commands(12345);
    CHash64 hash;
    int peer = -1;
    bool code_told = false, connecting = false;
    double connected_at = -1, next_command = 0;
    const double give_up = start + 20 + play_seconds;
    while (seconds_now() < give_up) {
        const double now = seconds_now();
        client.poll(now);
        if (hosting && !code_told && !client.code().empty()) {
            std::printf("code %s\n", client.code().c_str());
            code_told = true;
        }
        if (client.state() == CRendezvousClient::FAILED) {
            std::fprintf(stderr, "online-player: %s\n", client.error().c_str());
            return 1;
        }
        if (!hosting && !connecting && client.state() == CRendezvousClient::READY) {
            connecting = true;
            const std::string to = rdv::to_string(client.peer());
            if (!link.connect(to.substr(0, to.rfind(':')), client.peer().port, error)) {
                std::fprintf(stderr, "online-player: %s\n", error.c_str());
                return 1;
            }
        }
        const CNetLink::event e = link.service(5);
        if (e.kind == CNetLink::CONNECTED && peer < 0) {
            peer = e.peer;
            connected_at = seconds_now();
            if (hosting) {
                rdv::endpoint from;
                rdv::parse_endpoint(link.peer_address(peer), from);
                client.connected(from);
            }
            std::printf("path %s\nconnect_ms %d\n", client.path().c_str(),
                        static_cast<int>((connected_at - start) * 1000));
            next_command = connected_at;
        } else if (e.kind == CNetLink::RECEIVED && hosting) {
            hash.bytes(e.data.data(), e.data.size());
        } else if (e.kind == CNetLink::DISCONNECTED && e.peer == peer) {
            break;
        }
        if (peer >= 0 && !hosting && now >= next_command && now < connected_at + play_seconds) {
            const std::uint32_t command = commands();
            const std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(command),
                                                  static_cast<std::uint8_t>(command >> 8),
                                                  static_cast<std::uint8_t>(command >> 16)};
            link.send(peer, bytes);
            hash.bytes(bytes.data(), bytes.size());
            next_command += 0.05;
        }
        if (peer >= 0 && !hosting && now >= connected_at + play_seconds) {
            link.shut_down(1000);
            break;
        }
    }
    if (peer < 0) {
        std::fprintf(stderr, "online-player: no connection (%s)\n", client.error().c_str());
        return 1;
    }
    std::printf("hash %016llx\n", static_cast<unsigned long long>(hash.result()));
    return 0;
}
