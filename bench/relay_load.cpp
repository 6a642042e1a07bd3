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

namespace {

void keep_delay(std::vector<double>& delays, const std::uint8_t* datagram, std::size_t size) {
    if (size < 16)
        return;
    std::int64_t sent_ns;
    std::memcpy(&sent_ns, datagram + 8, sizeof sent_ns);
    delays.push_back(static_cast<double>(now_ns() - sent_ns) / 1000);
}

}  // namespace

load_outcome run_load(const std::vector<load_side>& sides, int paths) {
    load_outcome out;
    out.delays_us.resize(static_cast<std::size_t>(paths));
    out.sent.assign(static_cast<std::size_t>(paths), 0);
    for (auto& d : out.delays_us)
        d.reserve(static_cast<std::size_t>(sides.size() * PER_SECOND * (LOAD_SECONDS + 1)));
    std::atomic<bool> stop{false};
    const int poller = epoll_create1(0);
    for (std::size_t i = 0; i < sides.size(); ++i) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u64 = i;
        const int fd =
            sides[i].udp != nullptr ? sides[i].udp->descriptor() : sides[i].websocket->descriptor();
        epoll_ctl(poller, EPOLL_CTL_ADD, fd, &e);
    }
    std::thread reader([&] {
        epoll_event ready[256];
        std::uint8_t buffer[2048];
        std::vector<std::uint8_t> message;
        while (!stop.load()) {
            const int n = epoll_wait(poller, ready, 256, 10);
            for (int i = 0; i < n; ++i) {
                const load_side& s = sides[ready[i].data.u64];
                std::vector<double>& delays = out.delays_us[static_cast<std::size_t>(s.path)];
                if (s.udp != nullptr) {
                    ssize_t got;
                    while ((got = recv(s.udp->descriptor(), buffer, sizeof buffer, MSG_DONTWAIT)) >= 0)
                        keep_delay(delays, buffer, static_cast<std::size_t>(got));
                } else {
                    while (s.websocket->take_message(message))
                        keep_delay(delays, message.data(), message.size());
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
                const load_side& s = sides[i];
                if (s.udp != nullptr)
                    s.udp->send_raw(s.to, bytes);
                else
                    s.websocket->send_frame(bytes);
                // Counted for the path it arrives by: the other side's.
                ++out.sent[static_cast<std::size_t>(sides[i ^ 1].path)];
            }
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop = true;
    reader.join();
    close(poller);
    return out;
}

load_outcome run_load(const std::vector<std::unique_ptr<CRendezvousSide>>& sides,
                      const std::vector<rdv::endpoint>& destinations) {
    std::vector<load_side> load(sides.size());
    for (std::size_t i = 0; i < sides.size(); ++i) {
        load[i].udp = sides[i].get();
        load[i].to = destinations[i];
    }
    return run_load(load, 1);
}

double quantile(std::vector<double>& v, double q) {
    if (v.empty())
        return 0;
    const std::size_t at =
        std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(at), v.end());
    return v[at];
}

void report(benchmark::State& state, load_outcome& o, int path, const std::string& name) {
    std::vector<double>& delays = o.delays_us[static_cast<std::size_t>(path)];
    const std::int64_t sent = o.sent[static_cast<std::size_t>(path)];
    state.counters[name + "_median_us"] = quantile(delays, 0.5);
    state.counters[name + "_p99_us"] = quantile(delays, 0.99);
    state.counters[name == "delay" ? "arrived_percent" : name + "_arrived_percent"] =
        sent == 0 ? 0 : 100.0 * static_cast<double>(delays.size()) / static_cast<double>(sent);
}
