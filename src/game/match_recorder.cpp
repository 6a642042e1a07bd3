#include "game/match_recorder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "game/global.h"
#include "game/logic.h"
#include "game/match_clock.h"
#include "game/replay_file.h"
#include "game/state_hash.h"
#include "game/version.h"
#include "general/atomic_file.h"

namespace fs = std::filesystem;

namespace match_recorder {

namespace {

const char PREFIX[] = "match-";
const char SUFFIX[] = ".zvr";

struct recorder {
    bool on = false;
    std::string folder;
    int keep = KEEP_RECORDINGS;
    bool reported = false;  // a folder that cannot be written is said once
    bool fresh = true;      // nothing has happened on the board since it was last reset
    bool open = false;
    match_recording match;
    std::string last;
};
recorder self;
void (*before_step)() = nullptr;

void report(const std::string& why) {
    if (self.reported)
        return;
    self.reported = true;
    std::fprintf(stderr, "zelvorant: matches are not recorded in %s/: %s\n", self.folder.c_str(),
                 why.c_str());
}

// UTC date and time to the millisecond: names sort in the order the matches were played.
std::string file_name(long long ms_since_epoch) {
    const std::time_t seconds = static_cast<std::time_t>(ms_since_epoch / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    char millis[8];
    std::snprintf(millis, sizeof millis, "-%03lld", ms_since_epoch % 1000);
    return std::string(PREFIX) + stamp + millis + SUFFIX;
}

// A name no recording in the folder has yet: two matches closed within one millisecond take the next
// free one, which keeps the order.
std::string free_path() {
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    std::error_code error;
    fs::path path = fs::path(self.folder) / file_name(ms);
    while (fs::exists(path, error))
        path = fs::path(self.folder) / file_name(++ms);
    return path.string();
}

bool is_recording_name(const std::string& name) {
    const std::size_t p = sizeof PREFIX - 1;
    const std::size_t s = sizeof SUFFIX - 1;
    return name.size() > p + s && name.compare(0, p, PREFIX) == 0 &&
           name.compare(name.size() - s, s, SUFFIX) == 0;
}

// Removes the oldest recordings beyond `keep`; other files in the folder are never touched.
void prune() {
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator i(self.folder, error), end; !error && i != end; i.increment(error))
        if (is_recording_name(i->path().filename().string()))
            names.push_back(i->path().filename().string());
    std::sort(names.begin(), names.end());
    for (std::size_t i = 0; i + self.keep < names.size(); ++i)
        fs::remove(fs::path(self.folder) / names[i], error);
}

void write_match() {
    std::error_code error;
    fs::create_directories(self.folder, error);
    if (error) {
        report(error.message());
        return;
    }
    const std::string path = free_path();
    std::string why;
    if (!write_file_atomically(path, encode_recording(self.match), why)) {
        report(why);
        return;
    }
    self.last = path;
    prune();
}

void close_match() {
    if (!self.open)
        return;
    self.open = false;
    if (match_clock::step() == 0)
        return;
    self.match.steps = match_clock::step();
    self.match.final_hash = state_hash();
    write_match();
}

void open_if_play_begins() {
    using namespace global;
    if (!self.on || self.open || !self.fresh || game_state != ON || station1 == nullptr ||
        station2 == nullptr)
        return;
    const std::uint32_t seed = match_clock::next_seed();
    self.match = match_recording();
    self.match.program_version = PROGRAM_VERSION;
    self.match.start = capture_match_start(seed);
    match_clock::begin(seed);
    self.match.checkpoints.push_back(state_hash());
    self.open = true;
    self.fresh = false;
}

void observe(const board_command& command) {
    open_if_play_begins();
    if (self.open)
        self.match.commands.push_back({match_clock::step(), command});
}

}  // namespace

void start(const std::string& folder, int keep) {
    self = recorder();
    self.on = true;
    self.folder = folder;
    self.keep = keep;
    set_command_observer(observe);
}

void stop() {
    set_command_observer(nullptr);
    self = recorder();
}

void set_before_step(void (*hook)()) {
    before_step = hook;
}

bool step() {
    open_if_play_begins();
    if (before_step != nullptr)
        before_step();
    const bool closing = program_logic();
    if (self.open) {
        match_clock::count_step();
        const std::uint64_t n = match_clock::step();
        if (n % CHECKPOINT_INTERVAL == 0)
            self.match.checkpoints.push_back(state_hash());
        if (global::game_state == global::ENDED || n >= MAX_RECORDED_STEPS)
            close_match();
    }
    return closing;
}

void board_reset() {
    close_match();
    self.fresh = true;
}

void finish() {
    close_match();
}

const std::string& last_file() {
    return self.last;
}

}  // namespace match_recorder
