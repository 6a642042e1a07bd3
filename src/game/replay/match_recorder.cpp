#include "game/replay/match_recorder.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "game/config/version.h"
#include "game/replay/replay_file.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/state_hash.h"
#include "general/atomic_file.h"
#include "general/echoed_text.h"

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
    std::uint64_t busy_step = 0;  // the step the last command was for, and how many it has had
    std::size_t at_busy_step = 0;
    std::string last;
};
recorder self;

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

struct kept_file {
    std::string name;
    struct timespec modified;
    bool future;  // dated later than now: no clock of this machine wrote that
};

// Beyond this, a file's time is not the clock's drift but a date set by hand or on another machine.
constexpr long long FUTURE_SLACK_S = 60;

// Newest first, where a file dated in the future ranks below every real one, or it would outlive them.
bool newer(const kept_file& a, const kept_file& b) {
    if (a.future != b.future)
        return b.future;
    if (a.modified.tv_sec != b.modified.tv_sec)
        return a.modified.tv_sec > b.modified.tv_sec;
    if (a.modified.tv_nsec != b.modified.tv_nsec)
        return a.modified.tv_nsec > b.modified.tv_nsec;
    return a.name > b.name;
}

// The recorder names a file for the time it writes it: a name whose time is far from the file's own
// was given by someone else (a copy, a file from another machine, a made-up date).
bool written_here(const kept_file& f) {
    std::tm utc{};
    int millis = 0;
    if (std::sscanf(f.name.c_str(), "match-%4d%2d%2d-%2d%2d%2d-%3d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday,
                    &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &millis) != 7)
        return false;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    const long long named = static_cast<long long>(timegm(&utc));
    const long long modified = static_cast<long long>(f.modified.tv_sec);
    return !f.future && named <= modified + 60 && modified <= named + 60;
}

// Removes the oldest recordings, by modification time, beyond `keep`, never the one just written;
// other files in the folder are never touched.
void prune(const std::string& just_written) {
    std::error_code error;
    std::vector<kept_file> files;
    const long long now = static_cast<long long>(std::time(nullptr));
    for (fs::directory_iterator i(self.folder, error), end; !error && i != end; i.increment(error)) {
        const std::string name = i->path().filename().string();
        struct stat st;
        if (!is_recording_name(name) || i->path().string() == just_written ||
            lstat(i->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        files.push_back({name, st.st_mtim, static_cast<long long>(st.st_mtim.tv_sec) > now + FUTURE_SLACK_S});
    }
    std::sort(files.begin(), files.end(), newer);
    for (std::size_t i = static_cast<std::size_t>(std::max(self.keep - 1, 0)); i < files.size(); ++i) {
        if (!fs::remove(fs::path(self.folder) / files[i].name, error) || error)
            continue;
        if (!written_here(files[i]))
            std::fprintf(stderr,
                         "zelvorant: removed %s from %s/, which the game did not write, to keep the newest "
                         "%d recordings\n",
                         echoed(files[i].name).c_str(), self.folder.c_str(), self.keep);
    }
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
    prune(path);
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
    self.at_busy_step = 0;
    self.match.program_version = PROGRAM_VERSION;
    self.match.start = capture_match_start(seed);
    match_clock::begin(seed);
    self.match.checkpoints.push_back(state_hash());
    self.open = true;
    self.fresh = false;
}

}  // namespace

void start(const std::string& folder, int keep) {
    self = recorder();
    self.on = true;
    self.folder = folder;
    self.keep = keep;
}

void stop() {
    self = recorder();
}

void record(const board_command& command) {
    open_if_play_begins();
    if (!self.open)
        return;
    const std::uint64_t step = match_clock::step();
    self.at_busy_step = step == self.busy_step ? self.at_busy_step + 1 : 1;
    self.busy_step = step;
    // No player makes this many: the match is kept up to here, as the board stands before this command,
    // rather than written into a file no reader would take.
    if (self.at_busy_step > MAX_COMMANDS_AT_A_STEP) {
        std::fprintf(
            stderr,
            "zelvorant: the match is recorded up to step %llu only: more than %zu commands at that step\n",
            static_cast<unsigned long long>(step), MAX_COMMANDS_AT_A_STEP);
        close_match();
        return;
    }
    self.match.commands.add(step, command);
}

void before_step() {
    open_if_play_begins();
}

void after_step(bool final) {
    if (self.open) {
        match_clock::count_step();
        const std::uint64_t n = match_clock::step();
        if (n % CHECKPOINT_INTERVAL == 0)
            self.match.checkpoints.push_back(state_hash());
        if ((final && global::game_state == global::ENDED) || n >= MAX_RECORDED_STEPS)
            close_match();
    }
}

void settle() {
    if (self.open && global::game_state == global::ENDED)
        close_match();
}

void rewind() {
    if (!self.open)
        return;
    const std::uint64_t step = match_clock::step();
    self.match.commands.cut(step);
    self.match.checkpoints.resize(
        std::min<std::size_t>(self.match.checkpoints.size(), step / CHECKPOINT_INTERVAL + 1));
    if (self.busy_step >= step)
        self.at_busy_step = 0;
}

void end_at(std::uint64_t step, std::uint64_t hash) {
    if (!self.open)
        return;
    self.open = false;
    if (step == 0 || step > match_clock::step())
        return;
    self.match.commands.cut(step);
    self.match.checkpoints.resize(
        std::min<std::size_t>(self.match.checkpoints.size(), step / CHECKPOINT_INTERVAL + 1));
    self.match.steps = step;
    self.match.final_hash = hash;
    write_match();
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
