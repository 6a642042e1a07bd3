// The rendezvous server under the load it is sized for: the real program at its default limits,
// 10,000 registered hosts, 200 matches relayed at the game's pace (each side ~100 datagrams of 60
// bytes a second), every side on a loopback address of its own. Each run reports the server's share
// of a core and resident memory (from /proc) and the delay of a relayed datagram; the same pairs
// talking directly give the delay the relay adds to. The attacks of rendezvous_attacks.cpp run in the
// same program.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "loopback_addresses.h"
#include "relay_load.h"
#include "rendezvous_exchanges.h"
#include "server_process.h"

namespace {

constexpr int HOSTS = 10000;
constexpr int PAIRS = 200;

// The server with its hosts and relayed pairs, made once for every run.
struct loaded_server {
    CServerProcess process;
    std::vector<std::unique_ptr<CRendezvousSide>> idle_hosts;
    std::vector<std::unique_ptr<CRendezvousSide>> sides;  // host, joiner, host, joiner...
    double empty_rss_kb = 0;
    double registered_rss_kb = 0;
    bool ready = false;

    loaded_server() {
        if (process.port() == 0)
            return;
        raise_file_limit();
        empty_rss_kb = process.status_kb("VmRSS");
        const std::uint16_t server = process.port();
        // Registered in batches, so that no socket buffer overflows.
        for (int done = 0; done < HOSTS - PAIRS;) {
            const int batch = std::min(500, HOSTS - PAIRS - done);
            for (int i = 0; i < batch; ++i) {
                idle_hosts.emplace_back(new CRendezvousSide(next_honest_address()));
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
            auto host = std::make_unique<CRendezvousSide>(next_honest_address());
            auto joiner = std::make_unique<CRendezvousSide>(next_honest_address());
            if (!relayed(*host, *joiner, server))
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
    const std::vector<rdv::endpoint> to_server(s.sides.size(), rdv::endpoint{0x7f000001, s.process.port()});
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
    std::vector<rdv::endpoint> to_other;
    for (std::size_t i = 0; i < s.sides.size(); ++i)
        to_other.push_back(s.sides[i ^ 1]->endpoint());
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
