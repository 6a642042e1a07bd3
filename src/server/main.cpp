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
    // A reader of the log that went away must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    // Its writer ends within a bound when the loop has stopped, however the log is read. It outlives the
    // loop, whose end closes the WebSocket connections.
    CEventLog log(STDERR_FILENO, config.log_lines_per_second);
    CServerLoop::log_library_to(&log);
    CServerLoop loop;
    if (!loop.open(config, error, &log)) {
        CServerLoop::log_library_to(nullptr);
        log.finish(CEventLog::FINISH_MS);
        std::fprintf(stderr, "zelvorant-server: %s\n", error.c_str());
        return 1;
    }
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
             (rendezvous.table_bytes() + loop.table_bytes()) / 1024);
    if (config.websocket)
        log.line(
            log_topic::SUMMARY,
            "listening for %s on %s: at most %zu connections (%u an address, %u a network), idle for %u s; "
            "pages of %s",
            loop.websocket_secure() ? "wss" : "ws", rdv::to_string(loop.websocket_local()).c_str(),
            loop.websocket_capacity(), config.websockets_per_address, config.websockets_per_network,
            config.websocket_idle_s,
            config.websocket_origins == "*" ? "any origin" : config.websocket_origins.c_str());
    if (config.websocket && loop.websocket_capacity() < config.max_websockets)
        log.line(log_topic::SUMMARY,
                 "max_websockets is %u, but this process may open only enough files for %zu: raise its limit "
                 "(ulimit -n, or LimitNOFILE= for a service)",
                 config.max_websockets, loop.websocket_capacity());
    const int result = loop.run(rendezvous);
    log.line(log_topic::SUMMARY, "stopped: %zu hosts registered, %zu pairs relayed", rendezvous.hosts(),
             rendezvous.relays());
    CServerLoop::log_library_to(nullptr);
    return result == 0 ? 0 : 1;
}
