// The rendezvous server under the load it is sized for: the real program, 10,000 registered hosts,
// 200 matches relayed at the game's pace (each side ~100 datagrams of 60 bytes a second) on
// 127.0.0.1. Each run reports the server's share of a core and resident memory (from /proc) and the
// delay of a relayed datagram; the same pairs talking directly give the delay the relay adds to.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "rendezvous_side.h"

namespace {

constexpr int HOSTS = 10000;
constexpr int PAIRS = 200;
constexpr int PER_SECOND = 100;  // datagrams a side sends
constexpr std::size_t DATAGRAM = 60;
constexpr double LOAD_SECONDS = 3;

std::int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The real program, its log in a temporary file.
class CServerProcess {
  public:
    CServerProcess() {
        char log[] = "/tmp/zelvorant-bench-server.XXXXXX";
        const int fd = mkstemp(log);
        log_ = log;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fd, 2);
            // Every side here shares 127.0.0.1: the rate limit per address would stop the set-up.
            execl(ZELVORANT_SERVER_PROGRAM, "zelvorant-server", "--address", "127.0.0.1", "--port", "0",
                  "--joins_per_second", "10000", "--join_burst", "100000", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fd);
        for (int i = 0; i < 500 && port_ == 0; ++i) {
            const std::string text = read_text(log_);
            const std::size_t at = text.find("listening on 127.0.0.1:");
            if (at != std::string::npos)
                port_ = static_cast<std::uint16_t>(std::atoi(text.c_str() + at + 23));
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~CServerProcess() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        std::remove(log_.c_str());
    }
    std::uint16_t port() const { return port_; }
    // Seconds of CPU the server has used so far.
    double cpu_seconds() const {
        std::istringstream fields(read_text("/proc/" + std::to_string(pid_) + "/stat"));
        std::string f;
        double ticks = 0;
        for (int i = 1; fields >> f && i <= 15; ++i)
            if (i >= 14)
                ticks += std::atof(f.c_str());
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    // A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
    double status_kb(const std::string& name) const {
        std::istringstream lines(read_text("/proc/" + std::to_string(pid_) + "/status"));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(name + ":", 0) == 0)
                return std::atof(line.c_str() + name.size() + 1);
        return 0;
    }

  private:
    pid_t pid_ = -1;
    std::string log_;
    std::uint16_t port_ = 0;
};

struct load_outcome {
    std::vector<double> delays_us;
    std::int64_t sent = 0;
};

// Every side sends at the game's pace to where its datagrams go (the server, or the other side);
// a thread reads all that arrives and keeps each datagram's delay.
load_outcome run_load(const std::vector<std::unique_ptr<CRendezvousSide>>& sides,
                      const std::vector<std::uint16_t>& destinations) {
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

// The server with its hosts and relayed pairs, made once for every run.
struct loaded_server {
    CServerProcess process;
    std::vector<std::unique_ptr<CRendezvousSide>> idle_hosts;
    std::vector<std::unique_ptr<CRendezvousSide>> sides;  // host, joiner, host, joiner...
    double empty_rss_kb = 0;
    double registered_rss_kb = 0;
    bool ready = false;

    loaded_server() {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        if (process.port() == 0)
            return;
        empty_rss_kb = process.status_kb("VmRSS");
        const std::uint16_t server = process.port();
        // Registered in batches, so that no socket buffer overflows.
        for (int done = 0; done < HOSTS - PAIRS;) {
            const int batch = std::min(500, HOSTS - PAIRS - done);
            for (int i = 0; i < batch; ++i) {
                idle_hosts.emplace_back(new CRendezvousSide);
                idle_hosts.back()->send(server, rdv_message(rdv::REGISTER));
            }
            for (int i = 0; i < batch; ++i) {
                rdv::message m;
                if (!idle_hosts[static_cast<std::size_t>(done + i)]->receive(m) || m.kind != rdv::REGISTERED)
                    return;
            }
            done += batch;
        }
        for (int p = 0; p < PAIRS; ++p) {
            auto host = std::make_unique<CRendezvousSide>();
            auto joiner = std::make_unique<CRendezvousSide>();
            rdv::message m;
            host->send(server, rdv_message(rdv::REGISTER));
            if (!host->receive(m) || m.kind != rdv::REGISTERED)
                return;
            rdv::message j = rdv_message(rdv::JOIN);
            j.code = m.code;
            joiner->send(server, j);
            if (!host->receive(m) || !joiner->receive(m) || m.kind != rdv::INTRODUCE)
                return;
            rdv::message relay = rdv_message(rdv::RELAY);
            relay.token = m.token;
            host->send(server, relay);
            joiner->send(server, relay);
            if (!host->receive(m) || m.kind != rdv::RELAYING || !joiner->receive(m) ||
                m.kind != rdv::RELAYING)
                return;
            sides.push_back(std::move(host));
            sides.push_back(std::move(joiner));
        }
        registered_rss_kb = process.status_kb("VmRSS");
        ready = true;
    }
};

loaded_server& server() {
    static loaded_server s;
    return s;
}

void BM_RelayedMatches(benchmark::State& state) {
    loaded_server& s = server();
    if (!s.ready) {
        state.SkipWithError("the server or its set-up failed");
        return;
    }
    const std::vector<std::uint16_t> to_server(s.sides.size(), s.process.port());
    for (auto _ : state) {
        const double cpu_before = s.process.cpu_seconds();
        const auto start = std::chrono::steady_clock::now();
        load_outcome o = run_load(s.sides, to_server);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(wall);
        state.counters["server_cpu_percent"] = 100 * (s.process.cpu_seconds() - cpu_before) / wall;
        report(state, o);
    }
    state.counters["server_rss_kB"] = s.process.status_kb("VmRSS");
    state.counters["server_peak_rss_kB"] = s.process.status_kb("VmHWM");
    state.counters["server_rss_empty_kB"] = s.empty_rss_kb;
    state.counters["server_rss_registered_kB"] = s.registered_rss_kb;
}
BENCHMARK(BM_RelayedMatches)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The same sides sending straight to each other: the floor the relayed delay stands on.
void BM_DirectMatches(benchmark::State& state) {
    loaded_server& s = server();
    if (!s.ready) {
        state.SkipWithError("the server or its set-up failed");
        return;
    }
    std::vector<std::uint16_t> to_other;
    for (std::size_t i = 0; i < s.sides.size(); ++i)
        to_other.push_back(s.sides[i ^ 1]->endpoint().port);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        load_outcome o = run_load(s.sides, to_other);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        report(state, o);
    }
}
BENCHMARK(BM_DirectMatches)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
