// The logic step at the busiest board of the committed busy recording, timed the same way by the native
// program and by its WebAssembly build under Node, for which Google Benchmark is not built: the board is
// put back and run on for a hundred steps, many times; prints the median and the best time of a step.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "busiest_board.h"
#include "game/sim/logic.h"
#include "general/particle.h"

int main() {
    std::optional<CBoardSnapshot> board =
        busiest_recorded_board([] { return static_cast<long>(particles.size()); });
    if (!board) {
        std::fputs("logic_step_timing: the busy recording cannot be read\n", stderr);
        return 1;
    }
    constexpr int SAMPLES = 61;
    constexpr int STEPS = 100;
    std::vector<double> microseconds;
    for (int s = 0; s < SAMPLES; ++s) {
        board->restore();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < STEPS; ++i)
            program_logic();
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        microseconds.push_back(took.count() / STEPS);
    }
    board->restore();
    std::sort(microseconds.begin(), microseconds.end());
    std::printf("%zu particles: median %.2f us a step, best %.2f us\n", particles.size(),
                microseconds[microseconds.size() / 2], microseconds.front());
    return 0;
}
