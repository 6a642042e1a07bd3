// Reading the files a player may put beside the game: a pad mapping file of thousands of pads must load
// in time linear in its length, since start-up waits for it. No window.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/input/pad_mappings.h"

namespace {

// `count` mappings for as many different pads.
std::string mapping_file(int count) {
    namespace fs = std::filesystem;
    const fs::path path = fs::temp_directory_path() / ("zelvorant-mappings-" + std::to_string(getpid()) +
                                                       "-" + std::to_string(count) + ".txt");
    std::ofstream out(path);
    for (int i = 0; i < count; ++i) {
        char guid[33];
        std::snprintf(guid, sizeof guid, "03000000%08x0000%012x", i, i * 7);
        out << guid << ",Pad " << i
            << ",a:b0,b:b1,x:b2,y:b3,back:b6,start:b7,leftx:a0,lefty:a1,rightx:a3,righty:a4,"
               "dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,platform:Linux,\n";
    }
    return path.string();
}

void BM_LoadPadMappings(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = mapping_file(count);
    for (auto _ : state)
        benchmark::DoNotOptimize(load_pad_mappings(path.c_str()));
    std::filesystem::remove(path);
    state.SetComplexityN(count);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_LoadPadMappings)
    ->Arg(6000)
    ->Arg(60000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
