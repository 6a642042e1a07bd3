#include "relay_load.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

std::int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

load_outcome run_load(const std::vector<std::unique_ptr<CRendezvousSide>>& sides,
                      const std::vector<rdv::endpoint>& destinations) {
    load_outcome out;
    out.delays_us.reserve(static_cast<std::size_t>(sides.size() * PER_SECOND * (LOAD_SECONDS + 1)));
    std::atomic<bool> stop{false};
    const int poller = epoll_create1(0);
    for (const auto& s : sides) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.fd = s->descriptor();
        epoll_ctl(poller, EPOLL_CTL_ADD, s->descriptor(), &e);
    }
    std::thread reader([&] {
        epoll_event ready[256];
        std::uint8_t buffer[2048];
        while (!stop.load()) {
            const int n = epoll_wait(poller, ready, 256, 10);
            for (int i = 0; i < n; ++i) {
                ssize_t got;
                while ((got = recv(ready[i].data.fd, buffer, sizeof buffer, MSG_DONTWAIT)) >= 16) {
                    std::int64_t sent_ns;
                    std::memcpy(&sent_ns, buffer + 8, sizeof sent_ns);
                    out.delays_us.push_back(static_cast<double>(now_ns() - sent_ns) / 1000);
                }
            }
        }
    });
    // The game's datagrams never start with the rendezvous prefix: a first byte of 1.
    std::vector<std::uint8_t> bytes(DATAGRAM, 0);
    bytes[0] = 1;
    // The sides are spread over each period in small groups, as independent players would be, so
    // that a datagram's delay is not the wait behind a burst of all the others.
    constexpr std::size_t GROUP = 20;
    const auto start = std::chrono::steady_clock::now();
    const auto period = std::chrono::microseconds(1000000 / PER_SECOND);
    const std::size_t groups = (sides.size() + GROUP - 1) / GROUP;
    for (int t = 0; t < LOAD_SECONDS * PER_SECOND; ++t) {
        for (std::size_t g = 0; g < groups; ++g) {
            std::this_thread::sleep_until(start + t * period + period * g / groups);
            for (std::size_t i = g * GROUP; i < std::min(sides.size(), (g + 1) * GROUP); ++i) {
                const std::int64_t sent_ns = now_ns();
                std::memcpy(bytes.data() + 8, &sent_ns, sizeof sent_ns);
                sides[i]->send_raw(destinations[i], bytes);
                ++out.sent;
            }
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop = true;
    reader.join();
    close(poller);
    return out;
}

double quantile(std::vector<double>& v, double q) {
    if (v.empty())
        return 0;
    const std::size_t at =
        std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(at), v.end());
    return v[at];
}

void report(benchmark::State& state, load_outcome& o) {
    state.counters["delay_median_us"] = quantile(o.delays_us, 0.5);
    state.counters["delay_p99_us"] = quantile(o.delays_us, 0.99);
    state.counters["arrived_percent"] =
        o.sent == 0 ? 0 : 100.0 * static_cast<double>(o.delays_us.size()) / static_cast<double>(o.sent);
}
