#pragma once

// Relayed (or direct) matches at the game's pace: every side sends 100 datagrams of 60 bytes a second
// for a few seconds while a thread reads what arrives and keeps each datagram's delay.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "rendezvous_side.h"

constexpr int PER_SECOND = 100;  // datagrams a side sends
constexpr std::size_t DATAGRAM = 60;
constexpr double LOAD_SECONDS = 3;

std::int64_t now_ns();

struct load_outcome {
    std::vector<double> delays_us;
    std::int64_t sent = 0;
};

// Every side sends to where its datagrams go (the server, or the other side).
load_outcome run_load(const std::vector<std::unique_ptr<CRendezvousSide>>& sides,
                      const std::vector<rdv::endpoint>& destinations);
double quantile(std::vector<double>& v, double q);
// The delay's median and 99th percentile, and the share that arrived.
void report(benchmark::State& state, load_outcome& o);
