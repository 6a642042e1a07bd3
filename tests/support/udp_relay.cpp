#include "udp_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <queue>
#include <random>
#include <vector>

#include "loopback_socket.h"

namespace {

using clock_type = std::chrono::steady_clock;

struct datagram {
    clock_type::time_point due;
    bool to_target;
    std::vector<char> bytes;
    bool operator>(const datagram& o) const { return due > o.due; }
};

// Far more than the two peers ever have in flight; beyond it the relay drops, as a full router would.
constexpr std::size_t MAX_QUEUED = 10000;

}  // namespace

CUdpRelay::CUdpRelay(std::uint16_t target_port, relay_faults faults)
    : faults_(faults), target_port_(target_port) {
    client_side_ = socket(AF_INET, SOCK_DGRAM, 0);
    target_side_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in here = loopback_address(0);
    sockaddr_in target = loopback_address(target_port_);
    socklen_t len = sizeof here;
    if (client_side_ < 0 || target_side_ < 0 ||
        bind(client_side_, reinterpret_cast<sockaddr*>(&here), sizeof here) != 0 ||
        getsockname(client_side_, reinterpret_cast<sockaddr*>(&here), &len) != 0 ||
        connect(target_side_, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        if (client_side_ >= 0)
            close(client_side_);
        if (target_side_ >= 0)
            close(target_side_);
        client_side_ = target_side_ = -1;
        return;
    }
    port_ = ntohs(here.sin_port);
    thread_ = std::thread([this] { run(); });
}

CUdpRelay::~CUdpRelay() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (client_side_ >= 0)
        close(client_side_);
    if (target_side_ >= 0)
        close(target_side_);
}

void CUdpRelay::run() {
    std::mt19937 random(faults_.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::priority_queue<datagram, std::vector<datagram>, std::greater<datagram>> queue;
    sockaddr_in client{};
    bool client_known = false;
    char buffer[65536];

    auto take = [&](bool to_target, const char* data, ssize_t size) {
        if (cut_ || unit(random) < faults_.drop || queue.size() >= MAX_QUEUED) {
            ++dropped_;
            return;
        }
        const int copies = unit(random) < faults_.duplicate ? 2 : 1;
        for (int i = 0; i < copies; ++i) {
            const auto wait = std::chrono::duration<double>(
                faults_.min_delay + unit(random) * (faults_.max_delay - faults_.min_delay));
            queue.push({clock_type::now() + std::chrono::duration_cast<clock_type::duration>(wait), to_target,
                        std::vector<char>(data, data + size)});
        }
    };

    while (!stop_) {
        pollfd fds[2] = {{client_side_, POLLIN, 0}, {target_side_, POLLIN, 0}};
        poll(fds, 2, 1);
        if (fds[0].revents & POLLIN) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                recvfrom(client_side_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n > 0) {
                client = from;
                client_known = true;
                take(true, buffer, n);
            }
        }
        if (fds[1].revents & POLLIN) {
            ssize_t n = recv(target_side_, buffer, sizeof buffer, 0);
            if (n > 0 && client_known)
                take(false, buffer, n);
        }
        while (!queue.empty() && queue.top().due <= clock_type::now()) {
            const datagram& d = queue.top();
            if (d.to_target)
                send(target_side_, d.bytes.data(), d.bytes.size(), 0);
            else
                sendto(client_side_, d.bytes.data(), d.bytes.size(), 0,
                       reinterpret_cast<const sockaddr*>(&client), sizeof client);
            ++forwarded_;
            queue.pop();
        }
    }
}
