// zelvorant-server: reads its configuration, listens, and serves until SIGTERM or SIGINT.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "server/event_log.h"
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
    // A reader of the log that went away must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    // Its writer ends within a bound when the loop has stopped, however the log is read.
    CEventLog log(STDERR_FILENO, config.log_lines_per_second);
    CRendezvous rendezvous(config, &log);
    running = &loop;
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    log.line(log_topic::SUMMARY,
             "listening on %s: at most %u hosts (%u an address, %u a network), %u relayed pairs (%u an "
             "address, %u a network) of %u bytes and %u datagrams a second each way; tables of %zu kB",
             rdv::to_string(loop.local()).c_str(), config.max_hosts, config.hosts_per_address,
             config.hosts_per_network, config.max_relays, config.relays_per_address,
             config.relays_per_network, config.relay_bytes_per_second, config.relay_datagrams_per_second,
             rendezvous.table_bytes() / 1024);
    const int result = loop.run(rendezvous);
    log.line(log_topic::SUMMARY, "stopped: %zu hosts registered, %zu pairs relayed", rendezvous.hosts(),
             rendezvous.relays());
    return result == 0 ? 0 : 1;
}
