// Online play across every pair of router kinds, in both orders: two headless players find each other
// through the real rendezvous server by invite code, take the best way their routers allow, and play
// scripted match to the same board. The pairs run at once, each in namespaces of its own.
//
// The way each pair should take, host's router first (the host alone asks its router for a mapping):
//   upnp host: mapped (the router forwards the port, whatever the joiner sits behind)
//   open host: direct (the host's public address is its own)
//   preserving host or joiner, open joiner: punched (that side lets in any sender, and answers each
//     probe where it came from)
//   symmetric host or joiner otherwise: relayed: that side's probes come from a port the other side
//     never wrote to, and the other side's probes go to a port its router opened for the server only
//   linux, carrier, bare, upnp (as a joiner it maps nothing) with one another: punched; a bare router
//     lets an early probe reach itself, which the first probes, going no further than the player's own
//     router, come before
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "nat_world.h"
#include "needs.h"
#include "online_players.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace {

constexpr int ROUNDS = 2;            // joins per pair, for the spread of the join times
constexpr double PLAY_SECONDS = 15;  // of match in the first round; the others only join
// Worlds built at once: the kernel takes the namespaces' links and addresses one at a time, and a
// few dozen worlds built together make single commands wait for seconds.
constexpr int BUILDING_AT_ONCE = 6;

// At most a number of holders at a time.
class CTurns {
  public:
    explicit CTurns(int most) : free_(most) {}
    void take() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return free_ > 0; });
        --free_;
    }
    void give() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++free_;
        }
        changed_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int free_;
};
CTurns building(BUILDING_AT_ONCE);

// Holds each of a number of threads until all have arrived.
class CMeeting {
  public:
    explicit CMeeting(std::size_t expected) : missing_(expected) {}
    void arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (--missing_ == 0) {
            all_here_.notify_all();
        }
        all_here_.wait(lock, [&] { return missing_ == 0; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable all_here_;
    std::size_t missing_;
};
constexpr const char* SERVER_PORT = "24817";
// A person reads the code, once the host's screen says what the router answered, and types it.
constexpr double TYPING_SECONDS = 1;

std::string expected_path(nat_kind host, nat_kind joiner) {
    if (host == nat_kind::UPNP) {
        return "mapped";
    }
    if (host == nat_kind::OPEN) {
        return "direct";
    }
    if (host == nat_kind::PRESERVING || joiner == nat_kind::PRESERVING || joiner == nat_kind::OPEN) {
        return "punched";
    }
    return host == nat_kind::SYMMETRIC || joiner == nat_kind::SYMMETRIC ? "relayed" : "punched";
}

struct round_result {
    std::string host_path, joiner_path, host_hash, joiner_hash, problem;
    int host_ms = -1, joiner_ms = -1;
};

struct pair_result {
    nat_kind host, joiner;
    std::string problem;  // the world could not be built
    std::vector<round_result> rounds;
};

round_result play_round(CNatWorld& world, const std::string& folder, double seconds) {
    round_result r;
    const std::string server = std::string(CNatWorld::SERVER) + ":" + SERVER_PORT;
    const std::string length = std::to_string(seconds);
    auto host = start_in(folder + "/host", world.at(0).player, {ONLINE_PLAYER, "host", server, length});
    std::string code;
    wait_for(
        [&] {
            code = items(host->output())["code"];
            return !code.empty() || !host->running();
        },
        20);
    if (code.empty()) {
        r.problem = "no code: " + host->errors();
        return r;
    }
    let_run(TYPING_SECONDS);
    auto joiner =
        start_in(folder + "/joiner", world.at(1).player, {ONLINE_PLAYER, "join", server, code, length});
    const double limit = 30 + 2 * seconds;
    const int joiner_exit = joiner->wait_exit(limit);
    const int host_exit = host->wait_exit(10);
    auto h = items(host->output()), j = items(joiner->output());
    r.host_path = h["path"];
    r.joiner_path = j["path"];
    r.host_hash = h["hash"];
    r.joiner_hash = j["hash"];
    r.host_ms = h.count("connect_ms") ? std::stoi(h["connect_ms"]) : -1;
    r.joiner_ms = j.count("connect_ms") ? std::stoi(j["connect_ms"]) : -1;
    if (host_exit != 0 || joiner_exit != 0) {
        r.problem = "host " + std::to_string(host_exit) + ": " + host->errors() + " joiner " +
                    std::to_string(joiner_exit) + ": " + joiner->errors();
    }
    return r;
}

// A pair's routers and its own rendezvous server, listening.
struct pair_world {
    std::unique_ptr<CNatWorld> world;
    std::unique_ptr<CProgramRun> server;
    std::string folder;
    std::string problem;  // the world could not be built
};

void build_pair(pair_world& out, nat_kind host, nat_kind joiner, int index) {
    out.folder = scratch_dir("matrix_" + std::to_string(index));
    building.take();
    out.world = std::make_unique<CNatWorld>("matrix", host, joiner, out.folder);
    building.give();
    if (!out.world->ready()) {
        out.problem = out.world->error();
        return;
    }
    CNatWorld& world = *out.world;
    out.server = start_in(out.folder + "/server", world.public_space(),
                          {SERVER_PROGRAM, "--address", CNatWorld::SERVER, "--port", SERVER_PORT});
    std::string sockets;
    if (!wait_for(
            [&] {
                world.spaces().run(world.public_space(), {"ss", "-Hnuln"}, &sockets);
                return sockets.find(std::string(CNatWorld::SERVER) + ":" + SERVER_PORT) != std::string::npos;
            },
            10)) {
        out.problem = "the server is not listening: " + out.server->errors();
    }
}

pair_result play_pair(pair_world& built, nat_kind host, nat_kind joiner) {
    pair_result out{host, joiner, built.problem, {}};
    if (!out.problem.empty()) {
        return out;
    }
    for (int round = 0; round < ROUNDS; ++round) {
        out.rounds.push_back(play_round(*built.world, built.folder + "/round" + std::to_string(round),
                                        round == 0 ? PLAY_SECONDS : 1));
        // What the server saw of a round that failed, for the reader to tell whose word was lost.
        if (!out.rounds.back().problem.empty())
            out.rounds.back().problem += " server: " + built.server->errors();
    }
    return out;
}

double median(std::vector<int> v) {
    if (v.empty()) {
        return -1;
    }
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
}

TEST(Matrix, EveryPairOfRoutersInBothOrdersMeetsByCodeTheBestWayAndPlaysToTheSameBoard) {
    NEEDS(namespaces_available(), "root with network namespaces");
    const auto& kinds = all_nat_kinds();
    std::vector<std::pair<nat_kind, nat_kind>> pairs;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        for (std::size_t j = 0; j < kinds.size(); ++j) {
            pairs.emplace_back(kinds[i], kinds[j]);
        }
    }
    // Every world is built before any pair plays, and taken down once all have: the kernel changes one
    // namespace's links and addresses at a time, and a world built beside a round holds up the players'
    // own look at their addresses by seconds. Each pair keeps one thread throughout: what a thread
    // started ends with it.
    std::vector<pair_world> worlds(pairs.size());
    std::vector<pair_result> results(pairs.size());
    CMeeting built(pairs.size()), played(pairs.size());
    std::vector<std::thread> threads;
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        threads.emplace_back([&, p] {
            build_pair(worlds[p], pairs[p].first, pairs[p].second, static_cast<int>(p));
            built.arrive();
            results[p] = play_pair(worlds[p], pairs[p].first, pairs[p].second);
            played.arrive();
            worlds[p].server.reset();
            worlds[p].world.reset();
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }

    std::vector<int> all_times;
    std::printf("%-22s %-8s %-8s %-8s %7s %7s  %s\n", "host - joiner", "expected", "host", "joiner", "median",
                "max", "hashes");
    for (const pair_result& r : results) {
        const std::string name = nat_name(r.host) + " - " + nat_name(r.joiner);
        const std::string expected = expected_path(r.host, r.joiner);
        EXPECT_EQ(r.problem, "") << name;
        std::vector<int> times;
        for (const round_result& round : r.rounds) {
            EXPECT_EQ(round.problem, "") << name;
            EXPECT_EQ(round.joiner_path, expected) << name;
            EXPECT_EQ(round.host_path, expected) << name;
            // The join time is the joiner's, from the code typed to the match's first step; the host's
            // also holds the typing.
            EXPECT_GE(round.host_ms, 0) << name << ": the host never played";
            EXPECT_GE(round.joiner_ms, 0) << name << ": the joiner never played";
            times.push_back(round.joiner_ms);
            all_times.push_back(round.joiner_ms);
        }
        const round_result* played = r.rounds.empty() ? nullptr : &r.rounds.front();
        if (played != nullptr) {
            EXPECT_FALSE(played->host_hash.empty()) << name;
            EXPECT_EQ(played->host_hash, played->joiner_hash) << name;
        }
        EXPECT_LE(median(times), 5000) << name << ": the median join took longer than 5 s";
        std::printf("%-22s %-8s %-8s %-8s %7.0f %7d  %s\n", name.c_str(), expected.c_str(),
                    played ? played->host_path.c_str() : "-", played ? played->joiner_path.c_str() : "-",
                    median(times), times.empty() ? -1 : *std::max_element(times.begin(), times.end()),
                    played && played->host_hash == played->joiner_hash ? "same" : "DIFFER");
    }
    std::printf("all pairs: median join %.0f ms, max %d ms\n", median(all_times),
                all_times.empty() ? -1 : *std::max_element(all_times.begin(), all_times.end()));
}

}  // namespace
