#pragma once

// Relayed (or direct) matches at the game's pace: every side sends 100 datagrams of 60 bytes a second
// for a few seconds while a thread reads what arrives and keeps each datagram's delay, by the kind of
// path it took (UDP to UDP, UDP to a WebSocket, a WebSocket to UDP, ...).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rendezvous_side.h"
#include "websocket_client.h"

constexpr int PER_SECOND = 100;  // datagrams a side sends
constexpr std::size_t DATAGRAM = 60;
constexpr double LOAD_SECONDS = 3;

std::int64_t now_ns();

// A side of the load: a UDP socket sending to `to`, or a WebSocket connection to the server. `path`:
// the kind of path of the datagrams it receives. Sides come in pairs (0 and 1, 2 and 3, ...), each
// sending to the other of its pair.
struct load_side {
    const CRendezvousSide* udp = nullptr;
    CWebSocketClient* websocket = nullptr;
    rdv::endpoint to;
    int path = 0;
};

struct load_outcome {
    std::vector<std::vector<double>> delays_us;  // by path
    std::vector<std::int64_t> sent;              // by path of arrival
};

load_outcome run_load(const std::vector<load_side>& sides, int paths);
// Every side a UDP socket sending to where its datagrams go (the server, or the other side): one path.
load_outcome run_load(const std::vector<std::unique_ptr<CRendezvousSide>>& sides,
                      const std::vector<rdv::endpoint>& destinations);
double quantile(std::vector<double>& v, double q);
// A path's delay, median and 99th percentile, and the share that arrived, as counters named after
// `name` ("delay" gives delay_median_us, delay_p99_us and arrived_percent).
void report(benchmark::State& state, load_outcome& o, int path = 0, const std::string& name = "delay");
