#include "served_rendezvous.h"

#include <arpa/inet.h>

#include <string>

namespace {

server_config on_loopback(server_config config) {
    config.address = INADDR_LOOPBACK;
    config.port = 0;
    return config;
}

}  // namespace

CServedRendezvous::CServedRendezvous(server_config config, CEventLog* log) : rendezvous_(config, log) {
    std::string error;
    ready_ = loop_.open(on_loopback(config), error);
    if (ready_)
        thread_ = std::thread([this] { loop_.run(rendezvous_); });
}

CServedRendezvous::~CServedRendezvous() {
    if (thread_.joinable()) {
        loop_.stop();
        thread_.join();
    }
}
