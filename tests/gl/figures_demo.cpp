#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gl_window.h"
#include "scratch_folder.h"

namespace {

const std::string DEMO = std::string(ZELVORANT_RUN_DIR) + "/figures-demo";

struct run_result {
    int status = -1;
    std::string out;
};

run_result run(const std::string& args) {
    run_result r;
    std::string command = "'" + DEMO + "' " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr)
        return r;
    std::array<char, 256> buf;
    while (fgets(buf.data(), buf.size(), p) != nullptr)
        r.out += buf.data();
    int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

struct picture {
    int width = 0;
    int height = 0;
    std::vector<std::array<int, 3>> pixels;  // any order: the test only counts colours
};

bool read_tga(const std::string& path, picture* pic) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 18 || d[2] != 2 || d[16] != 32)
        return false;
    pic->width = d[12] | d[13] << 8;
    pic->height = d[14] | d[15] << 8;
    size_t count = static_cast<size_t>(pic->width) * pic->height;
    if (d.size() < 18 + count * 4)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* p = &d[18 + d[0] + i * 4];
        pic->pixels.push_back({p[2], p[1], p[0]});
    }
    return true;
}

double share(const picture& pic, std::array<int, 3> colour) {
    size_t n = 0;
    for (const auto& p : pic.pixels)
        if (std::abs(p[0] - colour[0]) <= 4 && std::abs(p[1] - colour[1]) <= 4 &&
            std::abs(p[2] - colour[2]) <= 4)
            ++n;
    return pic.pixels.empty() ? 0 : static_cast<double>(n) / pic.pixels.size();
}

TEST(FiguresDemo, RunsTenSecondsAndLeavesAScreenshotOfTheScene) {
    ASSERT_TRUE(std::filesystem::exists(DEMO)) << DEMO << " was not built";
    ASSERT_TRUE(gl_window::open()) << "no display";
    std::string shot = scratch_dir("figures_demo") + "/demo.tga";
    run_result r = run("--seconds 10 --screenshot '" + shot + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    long frames = 0, steps = 0;
    size_t count = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "figures-demo: %ld frames, %ld steps, %zu figures", &frames, &steps,
                          &count),
              3)
        << r.out;
    EXPECT_GT(frames, 10);
    EXPECT_GT(steps, 100);
    // Floor, two walls, ramp, nine dropped at the start, then one more at steps 100, 200, ... 600. A loaded
    // machine's stalls skip steps, so the later ones are counted from the steps that ran.
    const long later = std::min(6L, (steps - 1) / 100);
    EXPECT_EQ(count, static_cast<size_t>(13 + later));

    picture pic;
    ASSERT_TRUE(read_tga(shot, &pic));
    EXPECT_EQ(pic.width, 800);
    EXPECT_EQ(pic.height, 600);
    EXPECT_GT(share(pic, {219, 227, 237}), 0.05);                        // background
    EXPECT_GT(share(pic, {77, 87, 102}), 0.05);                          // floor, walls and ramp
    EXPECT_GT(share(pic, {0, 0, 0}) + share(pic, {31, 36, 46}), 0.002);  // grid and outlines
    // At least the followed piece is in view, in one of the fill colours.
    const std::array<std::array<int, 3>, 6> fills = {
        {{242, 140, 51}, {64, 166, 242}, {115, 204, 89}, {230, 89, 140}, {250, 209, 64}, {153, 115, 230}}};
    double pieces = 0;
    for (const auto& f : fills)
        pieces += share(pic, f);
    EXPECT_GT(pieces, 0.001);
}

TEST(FiguresDemo, RejectsBadArgumentsWithoutOpeningAWindow) {
    ASSERT_TRUE(std::filesystem::exists(DEMO)) << DEMO << " was not built";
    for (const char* args : {"--seconds", "--seconds abc", "--seconds -1", "--seconds 5x", "--frobnicate 1",
                             "--screenshot ''"}) {
        run_result r = run(args);
        EXPECT_EQ(r.status, 2) << args << ": " << r.out;
        EXPECT_NE(r.out.find("figures-demo:"), std::string::npos) << args;
    }
    run_result help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: figures-demo"), std::string::npos);
}

}  // namespace
