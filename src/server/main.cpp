// zelvorant-server: reads its configuration, listens, and serves until SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "server/rendezvous.h"
#include "server/server_command_line.h"
#include "server/server_loop.h"

namespace {

CServerLoop* running = nullptr;

extern "C" void on_signal(int) {
    if (running != nullptr)
        running->stop();
}

}  // namespace

int main(int argc, char** argv) {
    server_config config;
    std::string error;
    switch (parse_server_command_line(std::vector<std::string>(argv + 1, argv + argc), config, error)) {
        case SERVER_HELP:
            std::fputs(server_usage_text().c_str(), stdout);
            return 0;
        case SERVER_VERSION:
            std::printf("zelvorant-server %s\n", ZELVORANT_VERSION);
            return 0;
        case SERVER_BAD:
            std::fprintf(stderr, "zelvorant-server: %s (see --help)\n", error.c_str());
            return 2;
        case SERVER_RUN:
            break;
    }
    CServerLoop loop;
    if (!loop.open(config, error)) {
        std::fprintf(stderr, "zelvorant-server: %s\n", error.c_str());
        return 1;
    }
    CRendezvous rendezvous(config, stderr);
    running = &loop;
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::fprintf(
        stderr,
        "listening on %s: at most %u hosts, %u relayed pairs of %u bytes/s each way; tables of %zu kB\n",
        rdv::to_string(loop.local()).c_str(), config.max_hosts, config.max_relays,
        config.relay_bytes_per_second, rendezvous.table_bytes() / 1024);
    const int result = loop.run(rendezvous);
    std::fprintf(stderr, "stopped: %zu hosts registered, %zu pairs relayed\n", rendezvous.hosts(),
                 rendezvous.relays());
    return result == 0 ? 0 : 1;
}
