// The real program's sound, driven by real X input: recorded through OpenAL Soft's "wave" output driver
// into a file, and without any audio device at all.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gl_window.h"
#include "needs.h"
#include "program_run.h"
// Last: Xlib defines macros (None, Bool, Status) that would break the headers above.
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

using clock_type = std::chrono::steady_clock;

const std::string FIRST_LINE = "Setting up display...\tDONE\n";
const std::string BOTH_LINES = FIRST_LINE + "Loading textures...\tDONE\n";
constexpr int RATE = 44100;

// The game in a run folder of its own with its pictures and sounds, its audio output chosen by the
// environment it is started with.
class CSoundRun : public CProgramRun {
  public:
    CSoundRun(const std::string& name, const char* drivers)
        : CProgramRun(game_folder("e2e_sound_" + name, ZELVORANT_RUN_DIR)) {
        link(std::string(ZELVORANT_RUN_DIR) + "/zelvorant");
        std::ofstream(folder() + "/alsoft.conf")
            << "[general]\nchannels = stereo\nsample-type = int16\n"
            << "frequency = " << RATE << "\n[wave]\nfile = " << recording() << "\n";
        set_environment("ALSOFT_DRIVERS", drivers);
        set_environment("ALSOFT_CONF", folder() + "/alsoft.conf");
        start("./zelvorant");
    }
    std::string recording() const { return folder() + "/recording.wav"; }

    // Holds Escape from the splash until loading is over (the splash polls it once a frame). The sound
    // output opens right after.
    bool skip_splash() {
        if (!wait_for([&] { return output() == FIRST_LINE; }) ||
            (window_ = x_session::wait_window("Zelvorant")) == 0)
            return false;
        x_session::point(window_, 500, 300);
        x_session::key("Escape", true);
        const bool done = wait_output(BOTH_LINES);
        x_session::key("Escape", false);
        return done;
    }
    // A left click at window pixels from the lower left of the 600-pixel-high window.
    void click(int x, int y) const { x_session::click(window_, x, 600 - y, 0.3); }
    void key(const char* keysym, bool down) const { x_session::key(keysym, down); }
    void close() const { x_session::close_window(window_); }

  private:
    Window window_ = 0;
};

// The 16-bit stereo samples of the recording's "data" chunk.
std::vector<int16_t> recorded_samples(const std::string& path) {
    const std::string bytes = read_text(path);
    const size_t data = bytes.find("data", 12);
    std::vector<int16_t> samples;
    if (data == std::string::npos)
        return samples;
    samples.resize((bytes.size() - data - 8) / 2);
    std::memcpy(samples.data(), bytes.data() + data + 8, samples.size() * 2);
    return samples;
}

// Peak and RMS of both channels between two moments of the recording, in seconds from its start.
struct stretch {
    int peak = 0;
    double rms = 0;
};
stretch measure(const std::vector<int16_t>& stereo, double from, double to) {
    const size_t first = static_cast<size_t>(std::max(0.0, from) * RATE) * 2;
    const size_t last = std::min(stereo.size(), static_cast<size_t>(to * RATE) * 2);
    stretch s;
    double sum = 0;
    for (size_t i = first; i < last; ++i) {
        s.peak = std::max(s.peak, std::abs(static_cast<int>(stereo[i])));
        sum += static_cast<double>(stereo[i]) * stereo[i];
    }
    if (last > first)
        s.rms = std::sqrt(sum / static_cast<double>(last - first));
    return s;
}

double since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

class Sound : public ::testing::Test {
  protected:
    void SetUp() override {
        NEEDS(x_session::display() != nullptr, "an X display");
        NEEDS(x_session::has_xtest(), "XTest");
    }
};

}  // namespace

TEST_F(Sound, HoldingAndReleasingPrimaryFireIsHeardAfterThePressAndNotBefore) {
    CSoundRun run("wave", "wave");
    ASSERT_TRUE(run.skip_splash()) << run.output() << run.errors();
    const auto opened = clock_type::now();  // the recording starts here, give or take a few frames
    let_run(0.5);
    const double clicked = since(opened);
    run.click(150, 450);  // "Multiplayer"
    let_run(1.5);
    const double pressed = since(opened);
    run.key("d", true);
    let_run(0.6);
    const double released = since(opened);
    run.key("d", false);
    let_run(1.5);
    run.close();
    ASSERT_EQ(run.wait_exit(), 0) << run.errors();
    EXPECT_EQ(run.output(), BOTH_LINES);
    EXPECT_EQ(run.errors(), "");

    const std::vector<int16_t> samples = recorded_samples(run.recording());
    ASSERT_GT(samples.size(), static_cast<size_t>(2 * RATE * (released + 1))) << "recording too short";
    // The title screen is silent until the click on "Multiplayer", which ticks.
    EXPECT_LE(measure(samples, 0.1, clicked - 0.1).peak, 3);
    EXPECT_GT(measure(samples, clicked - 0.1, clicked + 0.3).peak, 300);
    // The match then stays silent up to the press.
    const stretch before = measure(samples, clicked + 0.4, pressed - 0.15);
    EXPECT_LE(before.peak, 3) << "sound before the key was pressed";
    // The charge hums while the key is held, and the missile's launch follows the release.
    EXPECT_GT(measure(samples, pressed + 0.15, released - 0.05).rms, 200) << "no hum while charging";
    EXPECT_GT(measure(samples, released, released + 0.5).peak, 1000) << "no launch at the release";
}

TEST_F(Sound, WithoutAnAudioDeviceTheGamePlaysAndQuitsWithOneWarning) {
    CSoundRun run("none", "none");  // no output driver of that name: nothing can open
    ASSERT_TRUE(run.skip_splash()) << run.output() << run.errors();
    let_run(0.3);
    run.click(150, 450);  // "Multiplayer"
    let_run(0.5);
    run.key("d", true);
    let_run(0.4);
    run.key("d", false);
    run.key("f", true);
    run.key("f", false);
    let_run(0.5);
    run.key("Escape", true);
    run.key("Escape", false);
    let_run(0.3);
    run.click(462, 187);  // "Main menu" in the pause menu
    let_run(0.3);
    run.click(150, 225);  // "Quit"
    EXPECT_EQ(run.wait_exit(), 0);
    EXPECT_EQ(run.output(), BOTH_LINES);
    EXPECT_EQ(run.errors(), "No sound: no audio device could be opened\n");
    EXPECT_FALSE(fs::exists(run.recording()));
}

TEST_F(Sound, ResumeInThePauseMenuTicksLikeEveryOtherButton) {
    CSoundRun run("resume", "wave");
    ASSERT_TRUE(run.skip_splash()) << run.output() << run.errors();
    const auto opened = clock_type::now();
    let_run(0.3);
    run.click(150, 525);  // "Singleplayer"
    let_run(0.4);
    run.click(512, 375);  // "Easy"
    let_run(0.6);
    run.key("Escape", true);
    run.key("Escape", false);
    let_run(0.6);
    const double options = since(opened);
    run.click(512, 262);  // "Options" in the pause menu
    let_run(0.6);
    run.key("Escape", true);  // back into the match
    run.key("Escape", false);
    let_run(0.6);
    run.key("Escape", true);
    run.key("Escape", false);
    let_run(0.6);
    const double resumed = since(opened);
    run.click(512, 412);  // "Resume"
    let_run(0.8);
    run.close();
    ASSERT_EQ(run.wait_exit(), 0) << run.errors();

    const std::vector<int16_t> samples = recorded_samples(run.recording());
    ASSERT_GT(samples.size(), static_cast<size_t>(2 * RATE * (resumed + 0.5))) << "recording too short";
    // An idle match is silent, so each tick stands out; the window between the two is quiet.
    EXPECT_GT(measure(samples, options - 0.1, options + 0.3).peak, 300) << "no tick for Options";
    EXPECT_LE(measure(samples, options + 0.4, resumed - 0.15).peak, 3);
    EXPECT_GT(measure(samples, resumed - 0.1, resumed + 0.3).peak, 300)
        << "no tick for Resume" << run.errors();
}
