// The rendezvous server under attack, each attack against a fresh server at its default limits on
// loopback addresses: what honest players are served while it runs (new hosts registering, new pairs
// relayed, 20 pairs already relayed sending at the game's pace), the server's share of a core and its
// memory, and what the attack itself got. Forged sources are stood for by addresses whose answers
// nobody reads: from the server's side the two are one (the namespace test forges them for real).
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loopback_addresses.h"
#include "relay_load.h"
#include "rendezvous_exchanges.h"
#include "server_process.h"

namespace {

using side_list = std::vector<std::unique_ptr<CRendezvousSide>>;
using clock_type = std::chrono::steady_clock;

constexpr int HONEST_PAIRS = 20;
constexpr double ANSWER_WITHIN = 1;  // seconds: an honest request answered later counts as not served

double seconds_since(clock_type::time_point t) {
    return std::chrono::duration<double>(clock_type::now() - t).count();
}

// A UDP socket that sends with any loopback source address it is told, from its port: one socket
// standing for many senders. On 0.0.0.0 it shares its port with a socket on one address, which gets
// what is sent there: the victim whose address and port it forges.
class CManyAddressSocket {
  public:
    explicit CManyAddressSocket(std::uint16_t port = 0, std::uint32_t address = 0) {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        // A port the system chooses is one nobody else shares; only then may others share it.
        if (port != 0)
            setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(address);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        socklen_t length = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
    }
    ~CManyAddressSocket() { close(fd_); }
    CManyAddressSocket(const CManyAddressSocket&) = delete;
    CManyAddressSocket& operator=(const CManyAddressSocket&) = delete;

    std::uint16_t port() const { return port_; }
    int descriptor() const { return fd_; }
    void send(std::uint32_t from, std::uint16_t server, const std::vector<std::uint8_t>& bytes) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(server);
        to.sin_addr.s_addr = htonl(0x7f000001);
        iovec data = {const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr m{};
        m.msg_name = &to;
        m.msg_namelen = sizeof to;
        m.msg_iov = &data;
        m.msg_iovlen = 1;
        m.msg_control = control;
        m.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&m);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst.s_addr = htonl(from);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        sendmsg(fd_, &m, 0);
    }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// Honest newcomers while an attack runs: a host registering every 100 ms, a pair asking to be relayed
// every 500 ms, each from addresses of their own; served when the answer came within a second.
class CHonestNewcomers {
  public:
    explicit CHonestNewcomers(std::uint16_t server) {
        thread_ = std::thread([this, server] {
            const auto start = clock_type::now();
            for (int tick = 0; !stop_; ++tick) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(100) * tick);
                CRendezvousSide host(next_honest_address());
                auto asked = clock_type::now();
                ++hosts_asked_;
                hosts_served_ += !registered(host, server).empty() && seconds_since(asked) <= ANSWER_WITHIN;
                if (tick % 5 != 0)
                    continue;
                const CRendezvousSide pair_host(next_honest_address());
                const CRendezvousSide joiner(next_honest_address());
                asked = clock_type::now();
                ++pairs_asked_;
                // Registration, join and relay: three round trips and their cookies.
                pairs_served_ +=
                    relayed(pair_host, joiner, server) && seconds_since(asked) <= 3 * ANSWER_WITHIN;
            }
        });
    }
    ~CHonestNewcomers() { finish(); }
    void finish() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    void report(benchmark::State& state) {
        finish();
        state.counters["honest_registrations_percent"] =
            hosts_asked_ == 0 ? 0 : 100.0 * hosts_served_ / hosts_asked_;
        state.counters["honest_new_relays_percent"] =
            pairs_asked_ == 0 ? 0 : 100.0 * pairs_served_ / pairs_asked_;
    }

  private:
    std::atomic<bool> stop_{false};
    int hosts_asked_ = 0;
    int hosts_served_ = 0;
    int pairs_asked_ = 0;
    int pairs_served_ = 0;
    std::thread thread_;
};

// The attack runs in a thread of its own from the moment the honest traffic starts until it ends.
using attack = std::function<void(std::uint16_t server, const std::atomic<bool>& stop)>;

// A fresh server, 20 honest pairs relayed, what the attack takes before (`prepare`), then the attack
// beside the honest newcomers and the pairs' datagrams for LOAD_SECONDS. The honest figures, the
// server's processor share and memory go into `state`.
bool run_attack(benchmark::State& state, CServerProcess& server, const attack& what,
                const std::function<void(std::uint16_t server)>& prepare = nullptr) {
    raise_file_limit();
    if (server.port() == 0) {
        state.SkipWithError("the server did not start");
        return false;
    }
    side_list pairs;
    for (int p = 0; p < HONEST_PAIRS; ++p) {
        pairs.push_back(std::make_unique<CRendezvousSide>(next_honest_address()));
        pairs.push_back(std::make_unique<CRendezvousSide>(next_honest_address()));
        if (!relayed(*pairs[pairs.size() - 2], *pairs.back(), server.port())) {
            state.SkipWithError("the honest pairs were not relayed");
            return false;
        }
    }
    if (prepare)
        prepare(server.port());
    const double cpu_before = server.cpu_seconds();
    const auto start = clock_type::now();
    std::atomic<bool> stop{false};
    std::thread attacker([&] { what(server.port(), stop); });
    CHonestNewcomers newcomers(server.port());
    load_outcome relayed_load =
        run_load(pairs, std::vector<rdv::endpoint>(pairs.size(), rdv::endpoint{0x7f000001, server.port()}));
    stop = true;
    attacker.join();
    const double wall = seconds_since(start);
    state.SetIterationTime(wall);
    newcomers.report(state);
    state.counters["honest_relayed_arrived_percent"] =
        relayed_load.sent == 0 ? 0
                               : 100.0 * static_cast<double>(relayed_load.delays_us.size()) /
                                     static_cast<double>(relayed_load.sent);
    state.counters["honest_relayed_delay_p99_ms"] = quantile(relayed_load.delays_us, 0.99) / 1000;
    state.counters["server_cpu_percent"] = 100 * (server.cpu_seconds() - cpu_before) / wall;
    state.counters["server_rss_kB"] = server.status_kb("VmRSS");
    state.counters["server_peak_rss_kB"] = server.status_kb("VmHWM");
    return true;
}

rdv::message request(rdv::type kind) {
    rdv::message m = rdv_message(kind);
    m.code = "ACDEFG";
    return m;
}

// 1. Places taken: 8 addresses registering from new ports as fast as their rate allows, and
// registrations from 1,000 addresses that never read an answer, as fast as one socket sends.
void BM_RegistrationFlood(benchmark::State& state) {
    CServerProcess server;
    std::atomic<int> places{0};
    std::atomic<long> forged{0};
    for (auto _ : state) {
        run_attack(state, server, [&](std::uint16_t port, const std::atomic<bool>& stop) {
            std::thread real([&] {
                side_list held;
                for (int round = 0; !stop; ++round) {
                    for (int a = 0; a < 8 && !stop; ++a) {
                        held.push_back(std::make_unique<CRendezvousSide>(attack_address(200 + a, 1)));
                        places += !registered(*held.back(), port).empty();
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(220));  // 4.5 a second each
                }
            });
            const CManyAddressSocket forger;
            const std::vector<std::uint8_t> bytes = rdv::encode(request(rdv::REGISTER));
            for (long i = 0; !stop; ++i) {
                forger.send(attack_address(210 + static_cast<int>(i % 1000) / 250, static_cast<int>(i % 250)),
                            port, bytes);
                forged += 1;
                // About 30,000 a second, what one attacker's socket sent in the first check.
                if (i % 30 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            real.join();
        });
    }
    state.counters["attacker_places"] = places.load();
    state.counters["forged_per_second"] = static_cast<double>(forged) / LOAD_SECONDS;
}
BENCHMARK(BM_RegistrationFlood)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// 2. Relays taken: 50 addresses, each making as many pairs as it may (both sides its own) and keeping
// them alive with pings.
void BM_RelayTableFill(benchmark::State& state) {
    CServerProcess server;
    int pairs = 0;
    side_list held;
    const auto fill = [&](std::uint16_t port) {
        for (int a = 0; a < 50; ++a) {
            for (int p = 0; p < 12; ++p) {
                auto host = std::make_unique<CRendezvousSide>(attack_address(220 + a / 25, a % 25 * 256 + 1));
                auto joiner = std::make_unique<CRendezvousSide>(host->endpoint().address);
                if (!relayed(*host, *joiner, port))
                    break;
                ++pairs;
                held.push_back(std::move(host));
                held.push_back(std::move(joiner));
            }
        }
    };
    for (auto _ : state) {
        run_attack(
            state, server,
            [&](std::uint16_t port, const std::atomic<bool>& stop) {
                const rdv::message ping = rdv_message(rdv::PING);
                for (std::size_t i = 0; !stop; ++i) {
                    if (!held.empty())
                        held[i % held.size()]->send(port, ping);
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            },
            fill);
    }
    state.counters["attacker_pairs"] = pairs;
}
BENCHMARK(BM_RelayTableFill)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// 3. The log: 200 proven addresses each sending 20 joins with a code nobody holds, every second.
void join_flood(std::uint16_t port, const std::atomic<bool>& stop) {
    side_list flood;
    for (int i = 0; i < 200; ++i) {
        flood.push_back(std::make_unique<CRendezvousSide>(attack_address(230, i + 1)));
        flood.back()->send(port, rdv_message(rdv::PING));  // proven once, before the flood
    }
    for (int second = 0; !stop; ++second) {
        const auto began = clock_type::now();
        for (int round = 0; round < 20; ++round)
            for (const auto& side : flood)
                side->send(port, join("ACDEFG"));
        while (!stop && seconds_since(began) < 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::size_t lines_of(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void BM_JoinFloodLog(benchmark::State& state) {
    CServerProcess server;
    for (auto _ : state) {
        const std::size_t before = lines_of(server.log());
        const auto start = clock_type::now();
        run_attack(state, server, join_flood);
        state.counters["log_lines_per_second"] =
            static_cast<double>(lines_of(server.log()) - before) / seconds_since(start);
    }
}
BENCHMARK(BM_JoinFloodLog)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The same with the log read at 2 KB/s: the relay goes on, and SIGTERM ends the server in time.
void BM_JoinFloodSlowLogReader(benchmark::State& state) {
    CServerProcess server({}, 2048);
    for (auto _ : state) {
        run_attack(state, server, join_flood);
        state.counters["sigterm_to_exit_s"] = server.terminate(5);
    }
}
BENCHMARK(BM_JoinFloodSlowLogReader)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// 4. Requests in a victim's name (its address and port) with every kind of request, and with a code
// and the attacker's own relay requests beside them: what reaches the victim.
void BM_ForgedRelayVictim(benchmark::State& state) {
    CServerProcess server;
    std::atomic<long> forged_bytes{0};
    std::atomic<long> victim_bytes{0};
    std::atomic<long> victim_not_cookies{0};
    for (auto _ : state) {
        run_attack(state, server, [&](std::uint16_t port, const std::atomic<bool>& stop) {
            // The forger's port first, free on every address; the victim's socket then shares it.
            const CManyAddressSocket forger;
            const CManyAddressSocket victim(forger.port(), attack_address(240, 1));
            const CRendezvousSide attacker(attack_address(241, 1));
            const std::string code = registered(attacker, port);
            std::vector<std::vector<std::uint8_t>> requests;
            for (rdv::type kind : {rdv::REGISTER, rdv::UNREGISTER, rdv::JOIN, rdv::RELAY, rdv::PING}) {
                rdv::message m = request(kind);
                m.code = code.empty() ? m.code : code;
                requests.push_back(rdv::encode(m));
            }
            std::thread reader([&] {
                std::uint8_t got[2048];
                while (!stop) {
                    pollfd p = {victim.descriptor(), POLLIN, 0};
                    if (poll(&p, 1, 50) <= 0)
                        continue;
                    const ssize_t n = recv(victim.descriptor(), got, sizeof got, 0);
                    if (n < 0)
                        continue;
                    victim_bytes += n;
                    rdv::message m;
                    victim_not_cookies +=
                        !rdv::decode(got, static_cast<std::size_t>(n), m) || m.kind != rdv::COOKIE;
                }
            });
            for (long i = 0; !stop; ++i) {
                const auto& bytes = requests[static_cast<std::size_t>(i) % requests.size()];
                forger.send(attack_address(240, 1), port, bytes);
                forged_bytes += static_cast<long>(bytes.size());
                attacker.send(port, with_token(rdv::RELAY, static_cast<std::uint64_t>(i)));
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            reader.join();
        });
    }
    state.counters["forged_bytes"] = static_cast<double>(forged_bytes);
    state.counters["victim_bytes"] = static_cast<double>(victim_bytes);
    state.counters["victim_datagrams_not_cookies"] = static_cast<double>(victim_not_cookies);
}
BENCHMARK(BM_ForgedRelayVictim)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// 5. A relayed pair of the attacker's own, one side sending empty datagrams and then one-byte ones as
// fast as it can: what the other side gets, in datagrams and in bytes on the wire.
void BM_SmallDatagramRelayFlood(benchmark::State& state) {
    CServerProcess server;
    std::atomic<long> arrived{0};
    std::atomic<long> arrived_bytes{0};
    for (auto _ : state) {
        run_attack(state, server, [&](std::uint16_t port, const std::atomic<bool>& stop) {
            const CRendezvousSide from(attack_address(242, 1));
            const CRendezvousSide to(attack_address(243, 1));
            if (!relayed(from, to, port))
                return;
            std::thread reader([&] {
                std::vector<std::uint8_t> got;
                std::uint16_t source = 0;
                while (!stop)
                    if (to.receive_raw(got, source, 0.05)) {
                        ++arrived;
                        arrived_bytes += static_cast<long>(got.size());
                    }
            });
            const auto start = clock_type::now();
            const std::vector<std::uint8_t> empty;
            const std::vector<std::uint8_t> one(1, 1);
            for (long i = 0; !stop; ++i) {
                from.send_raw(port, seconds_since(start) < LOAD_SECONDS / 2 ? empty : one);
                if (i % 64 == 0)
                    std::this_thread::yield();
            }
            reader.join();
        });
    }
    state.counters["flood_forwarded_per_second"] = static_cast<double>(arrived) / LOAD_SECONDS;
    state.counters["flood_wire_bytes_per_second"] =
        static_cast<double>(arrived_bytes + arrived * 28) / LOAD_SECONDS;
}
BENCHMARK(BM_SmallDatagramRelayFlood)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// 6. What one datagram makes the server send before its sender is proven (every request, and the
// first version's), and what a player holding a host's code makes the host hear with 15 joins.
void BM_Amplification(benchmark::State& state) {
    CServerProcess server;
    double worst = 0;
    int introductions = 0;
    std::size_t targets = 0;
    for (auto _ : state) {
        run_attack(state, server, [&](std::uint16_t port, const std::atomic<bool>& stop) {
            const CRendezvousSide asker(attack_address(244, 1));
            std::vector<std::vector<std::uint8_t>> requests;
            for (rdv::type kind : {rdv::REGISTER, rdv::UNREGISTER, rdv::JOIN, rdv::RELAY, rdv::PING})
                requests.push_back(rdv::encode(request(kind)));
            requests.push_back({'Z', 'V', 'R', 1, 1, 0, 0, 0, 0, 0, 0, 0});
            requests.push_back({'Z', 'V', 'R', 1, 4, 'A', 'C', 'D', 'E', 'F', 'G', 0});
            for (const auto& bytes : requests) {
                asker.send_raw(port, bytes);
                std::vector<std::uint8_t> got;
                std::uint16_t from = 0;
                std::size_t answered = 0;
                while (asker.receive_raw(got, from, 0.1))
                    answered += got.size();
                worst = std::max(worst, static_cast<double>(answered) / static_cast<double>(bytes.size()));
            }
            const CRendezvousSide host(attack_address(245, 1));
            const std::string code = registered(host, port);
            rdv::message j = join(code);
            j.locals = {ep(0xc6336401, 80), ep(0xc6336402, 53), ep(0xcb007101, 123), ep(0xc0000201, 19)};
            side_list knowers;
            for (int i = 0; i < 15 && !stop; ++i) {
                knowers.push_back(std::make_unique<CRendezvousSide>(attack_address(246, 1)));
                knowers.back()->send(port, j);
            }
            rdv::message m;
            while (host.receive(m, 0.2))
                if (m.kind == rdv::INTRODUCE) {
                    ++introductions;
                    targets += 1 + m.locals.size() + (m.mapped != rdv::endpoint{});
                }
            while (!stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        });
    }
    state.counters["largest_unproven_reply_ratio"] = worst;
    state.counters["host_introductions_of_15_joins"] = introductions;
    state.counters["host_probe_targets"] = static_cast<double>(targets);
}
BENCHMARK(BM_Amplification)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
