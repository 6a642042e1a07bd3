// The rendezvous server's parts that need no socket: its index, its rate limit with a clock of the
// test's own, and its configuration.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include "server/fixed_index.h"
#include "server/rate_limiter.h"
#include "server/server_command_line.h"
#include "server/server_config.h"

TEST(FixedIndex, AgreesWithAMapThroughInsertsAndErasesAndKeepsItsCapacity) {
    // A small table and keys from a small range: long runs, wrap-arounds and many shifts back.
    CFixedIndex index(40, 12345);
    std::map<std::uint64_t, std::uint32_t> model;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const std::uint64_t key = random() % 120;
        const std::uint32_t value = random();
        if (random() % 3 == 0) {
            index.erase(key);
            model.erase(key);
        } else {
            const bool room = model.size() < 40 || model.count(key) != 0;
            ASSERT_EQ(index.insert(key, value), room) << step;
            if (room)
                model[key] = value;
        }
        ASSERT_EQ(index.size(), model.size());
        for (std::uint64_t k = 0; k < 120; ++k) {
            std::uint32_t got = 0;
            const auto it = model.find(k);
            ASSERT_EQ(index.find(k, got), it != model.end()) << step << " " << k;
            if (it != model.end()) {
                ASSERT_EQ(got, it->second);
            }
        }
    }
}

namespace {

const token_rate ROOMY = per_second(1000, 1000);

}  // namespace

TEST(RateLimiter, ABurstThenTheRateAndOneRefusalToldASecond) {
    CRateLimiter rate(64, ROOMY, per_second(5, 20), 99);
    std::int64_t now = 1000000;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(rate.take(0xc0000201, true, now), CRateLimiter::ALLOW) << i;
    EXPECT_EQ(rate.take(0xc0000201, true, now), CRateLimiter::REFUSE_TELL);
    EXPECT_EQ(rate.take(0xc0000201, true, now + 500), CRateLimiter::ALLOW);  // 2.5 refilled
    EXPECT_EQ(rate.take(0xc0000201, true, now + 500), CRateLimiter::ALLOW);
    EXPECT_EQ(rate.take(0xc0000201, true, now + 500), CRateLimiter::REFUSE_QUIET);  // told a moment ago
    EXPECT_EQ(rate.take(0xc0000201, true, now + 600), CRateLimiter::ALLOW);
    EXPECT_EQ(rate.take(0xc0000201, true, now + 999), CRateLimiter::ALLOW);
    EXPECT_EQ(rate.take(0xc0000201, true, now + 999), CRateLimiter::REFUSE_QUIET);
    EXPECT_EQ(rate.take(0xc0000201, true, now + 1000), CRateLimiter::ALLOW);  // the last thousandth
    EXPECT_EQ(rate.take(0xc0000201, true, now + 1000), CRateLimiter::REFUSE_TELL);
    // Another address has its own bucket.
    EXPECT_EQ(rate.take(0xc0000202, true, now + 1000), CRateLimiter::ALLOW);

    // An hour at five a second: exactly the rate gets through, whatever the sender tries.
    int allowed = 0;
    for (std::int64_t t = 0; t < 3600 * 1000; t += 50)
        allowed += rate.take(0xc6336401, true, now + t) == CRateLimiter::ALLOW;
    EXPECT_LE(allowed, 20 + 3600 * 5);
    EXPECT_GE(allowed, 3600 * 5);
}

TEST(RateLimiter, AFullTableRefusesNewcomersUntilABucketRefills) {
    CRateLimiter rate(8, ROOMY, per_second(1, 2), 5);  // one set of eight
    const std::int64_t now = 50000;
    for (std::uint32_t a = 1; a <= 8; ++a)
        EXPECT_EQ(rate.take(a, true, now), CRateLimiter::ALLOW);
    // Nobody's bucket is full again: a newcomer could be an old one under a new address.
    EXPECT_EQ(rate.take(9, true, now + 10), CRateLimiter::REFUSE_QUIET);
    EXPECT_EQ(rate.take(1, true, now + 10), CRateLimiter::ALLOW);
    // A second later the others have refilled and their places may be taken.
    EXPECT_EQ(rate.take(9, true, now + 1000), CRateLimiter::ALLOW);
}

TEST(RateLimiter, EveryRequestSpendsTheAddressBudgetAndJoinsTheirOwnBesides) {
    CRateLimiter rate(64, per_second(10, 10), per_second(1, 2), 3);
    const std::int64_t now = 70000;
    // Pings and the like: the burst of ten, then refused and told once.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rate.take(0xc6336401, false, now), CRateLimiter::ALLOW) << i;
    EXPECT_EQ(rate.take(0xc6336401, false, now), CRateLimiter::REFUSE_TELL);
    // A join is refused too, and told no second time: one refusal a second whatever the budget.
    EXPECT_EQ(rate.take(0xc6336401, true, now), CRateLimiter::REFUSE_QUIET);
    // Joins run out first on an address with requests to spare; what they spent stays spent.
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(rate.take(0xc6336402, true, now), CRateLimiter::ALLOW) << i;
    EXPECT_EQ(rate.take(0xc6336402, true, now), CRateLimiter::REFUSE_TELL);
    EXPECT_EQ(rate.take(0xc6336402, false, now), CRateLimiter::ALLOW);
    int allowed = 0;
    for (int i = 0; i < 20; ++i)
        allowed += rate.take(0xc6336402, false, now) == CRateLimiter::ALLOW;
    EXPECT_EQ(allowed, 10 - 4);
}

namespace {

server_launch parse(std::vector<std::string> args, server_config& config, std::string& error) {
    return parse_server_command_line(args, config, error);
}

}  // namespace

TEST(ServerConfig, FileThenCommandLineWithClearReasonsForBadLines) {
    const std::string path = ::testing::TempDir() + "/rendezvous_tables.conf";
    std::ofstream(path) << "# a comment\n\n  max_hosts = 3000 \nport=4000\naddress = 198.51.100.9\n";
    server_config config;
    std::string error;
    ASSERT_EQ(
        parse({"--port", "5000", "--config", path, "--max-relays=7", "--relay_idle_s", "9"}, config, error),
        SERVER_RUN)
        << error;
    EXPECT_EQ(config.max_hosts, 3000u);
    EXPECT_EQ(config.port, 5000);  // the command line wins, wherever --config stands
    EXPECT_EQ(config.address, 0xc6336409u);
    EXPECT_EQ(config.max_relays, 7u);
    EXPECT_EQ(config.relay_idle_s, 9u);
    EXPECT_EQ(config.code_lifetime_s, 30u);

    const std::pair<const char*, const char*> bad_files[] = {
        {"max_hosts 5\n", ":1: not a line key = value"},
        {"\nmax_hostz = 5\n", ":2: max_hostz: unknown key"},
        {"max_hosts = 0\n", ":1: max_hosts: not a number from 1 to 1000000: 0"},
        {"port = 65536\n", ":1: port: not a number from 0 to 65535: 65536"},
        {"joins_per_second = 5x\n", ":1: joins_per_second: not a number"},
        {"address = 256.1.1.1\n", ":1: address: not an IPv4 address"},
        {"code_lifetime_s = 99999999999\n", ":1: code_lifetime_s: not a number"},
    };
    for (const auto& [text, reason] : bad_files) {
        std::ofstream(path) << text;
        server_config c;
        EXPECT_EQ(parse({"--config", path}, c, error), SERVER_BAD) << text;
        EXPECT_EQ(error.find(path + reason), 0u) << error;
    }
    EXPECT_EQ(parse({"--config", path + ".missing"}, config, error), SERVER_BAD);
    EXPECT_EQ(parse({"--port"}, config, error), SERVER_BAD);
    EXPECT_EQ(parse({"port", "5"}, config, error), SERVER_BAD);
    EXPECT_EQ(parse({"--colour", "5"}, config, error), SERVER_BAD);
    EXPECT_EQ(error, "--colour: unknown key");
    EXPECT_EQ(parse({"--port", "x", "--help"}, config, error), SERVER_HELP);
}
