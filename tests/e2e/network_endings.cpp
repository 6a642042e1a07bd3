// Every way a network match ends, played by two headless players on 127.0.0.1 with the game's own
// run, session and recorder: both recordings of every match hold the same number of steps and end
// with the same state hash, and the real program verifies each of them. The pairs play at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "game/replay/replay_file.h"
#include "program_run.h"
#include "scratch_folder.h"
#include "udp_relay.h"
#include "unclaimed_port.h"

namespace fs = std::filesystem;

namespace {

struct side_result {
    int status = -1000;
    std::string ended;  // the "ended" line
    std::string errors;
    std::vector<fs::path> recordings;
};

struct ending_result {
    side_result host, joiner;
};

std::string ended_line(const std::string& output) {
    const std::size_t at = output.rfind("ended ");
    return at == std::string::npos ? "" : output.substr(at + 6, output.find('\n', at) - at - 6);
}

side_result finish(CProgramRun& run, double seconds) {
    side_result r;
    r.status = run.wait_exit(seconds);
    r.ended = ended_line(run.output());
    r.errors = run.errors();
    r.recordings = recordings_in(run.folder());
    std::sort(r.recordings.begin(), r.recordings.end());
    return r;
}

// One pair, the joiner through a relay that passes everything 30 ms late, as between two towns, until
// `cut_after` seconds (negative: never).
ending_result play(const std::string& ending, double cut_after = -1) {
    const std::string folder = scratch_dir("e2e_endings_" + ending);
    fs::create_directories(folder + "/host");
    fs::create_directories(folder + "/joiner");
    const std::uint16_t port = unclaimed_port();
    CProgramRun host(folder + "/host"), joiner(folder + "/joiner");
    host.start(PAIR_PLAYER, false, {"host", std::to_string(port), ending});
    CUdpRelay relay(port, relay_faults{0, 0, 0.03, 0.03, 1});
    joiner.start(PAIR_PLAYER, false, {"join", "127.0.0.1", std::to_string(relay.port()), ending});
    if (cut_after >= 0) {
        let_run(cut_after);
        relay.cut();
    }
    ending_result out;
    out.joiner = finish(joiner, 150);
    out.host = finish(host, 20);
    return out;
}

// What the real program says of a recording: its exit status and the final hash it printed.
std::pair<int, std::string> verified(const fs::path& file) {
    CProgramRun run(scratch_dir("e2e_endings_verify"));
    run.start(std::string(ZELVORANT_RUN_DIR) + "/zelvorant", false, {"--verify-replay", file.string()});
    const int status = run.wait_exit(60);
    return {status, run.output()};
}

void expect_same_recordings(const std::string& ending, const ending_result& r, std::size_t matches) {
    SCOPED_TRACE(ending);
    EXPECT_EQ(r.host.status, 0) << r.host.errors;
    EXPECT_EQ(r.joiner.status, 0) << r.joiner.errors;
    ASSERT_EQ(r.host.recordings.size(), matches) << r.host.errors;
    ASSERT_EQ(r.joiner.recordings.size(), matches) << r.joiner.errors;
    for (std::size_t i = 0; i < matches; ++i) {
        match_recording a, b;
        ASSERT_EQ(read_recording(r.host.recordings[i].string(), a), RECORDING_OK);
        ASSERT_EQ(read_recording(r.joiner.recordings[i].string(), b), RECORDING_OK);
        EXPECT_EQ(a.steps, b.steps) << "match " << i;
        EXPECT_EQ(a.final_hash, b.final_hash) << "match " << i;
        EXPECT_GT(a.steps, 90u) << "match " << i;
        for (const fs::path& file : {r.host.recordings[i], r.joiner.recordings[i]})
            EXPECT_EQ(verified(file).first, 0) << file;
        std::printf("%-9s match %zu: %llu steps, both ending %016llx\n", ending.c_str(), i,
                    static_cast<unsigned long long>(a.steps), static_cast<unsigned long long>(a.final_hash));
        std::fflush(stdout);
    }
}

}  // namespace

TEST(NetworkEndings, BothRecordingsOfEveryMatchEndAlikeHoweverTheMatchEnds) {
    const std::vector<std::string> endings = {"result", "newgame", "decline", "leave", "lost", "outofsync"};
    std::vector<ending_result> results(endings.size());
    std::vector<std::thread> pairs;
    for (std::size_t i = 0; i < endings.size(); ++i)
        pairs.emplace_back([&, i] { results[i] = play(endings[i], endings[i] == "lost" ? 4 : -1); });
    for (std::thread& t : pairs)
        t.join();

    const auto at = [&](const std::string& e) {
        return results[std::find(endings.begin(), endings.end(), e) - endings.begin()];
    };
    expect_same_recordings("result", at("result"), 1);
    expect_same_recordings("newgame", at("newgame"), 2);
    expect_same_recordings("decline", at("decline"), 1);
    expect_same_recordings("leave", at("leave"), 1);
    expect_same_recordings("lost", at("lost"), 1);
    expect_same_recordings("outofsync", at("outofsync"), 1);

    // What each side was told: the side that leaves nothing, the other that it left.
    for (const std::string e : {"result", "newgame", "decline", "leave"}) {
        EXPECT_EQ(at(e).host.ended, "-") << e << ": " << at(e).host.errors;
        EXPECT_EQ(at(e).joiner.ended, "Opponent left") << e;
    }
    EXPECT_EQ(at("lost").host.ended, "Connection lost");
    EXPECT_EQ(at("lost").joiner.ended, "Connection lost");
    EXPECT_EQ(at("outofsync").host.ended, "Out of sync");
    EXPECT_EQ(at("outofsync").joiner.ended, "Out of sync");
}
