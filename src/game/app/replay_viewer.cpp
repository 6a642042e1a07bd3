#include "game/app/replay_viewer.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "game/app/main_loop.h"
#include "game/app/window_hooks.h"
#include "game/render/hud_images.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/sim/global.h"
#include "game/sim/state_hash.h"
#include "game/sound/sounds.h"
#include "graphics/graphics.h"
#include "graphics/interface_frame.h"
#include "platform/glfw2.h"

namespace {

const float SPEEDS[] = {0.25f, 0.5f, 1, 2, 4, 8};
const char* const SPEED_NAMES[] = {"x0.25", "x0.5", "x1", "x2", "x4", "x8"};
constexpr int SPEED_COUNT = sizeof(SPEEDS) / sizeof(SPEEDS[0]);
constexpr int NORMAL_SPEED = 2;
// Page Up and Page Down jump this far.
constexpr double JUMP_SECONDS = 10;

struct viewer {
    CViewerSource* source = nullptr;
    loop_hooks hooks{};
    loop_state loop;
    int speed = NORMAL_SPEED;
    float steps_per_second = 100;
    bool paused = false;
    bool leaving = false;
};
viewer self;
float grey[4] = {0.8f, 0.8f, 0.8f, 1};

void change_speed(int by) {
    const int next = self.speed + by;
    if (next >= 0 && next < SPEED_COUNT)
        self.speed = next;
    self.steps_per_second = global::LPS * SPEEDS[self.speed];
}

// Never beyond what may be shown.
void seek(long long to) {
    const long long edge = static_cast<long long>(self.source->edge());
    self.source->playback().seek(static_cast<std::uint64_t>(to < 0 ? 0 : to < edge ? to : edge));
    self.source->shown();
}

// By whole match seconds, which the clock shows.
void jump_by(double seconds) {
    const long long by = static_cast<long long>(seconds * global::LPS);
    seek(static_cast<long long>(self.source->playback().position()) + by);
}

void key(int key, int action) {
    if (action != glfw2::PRESS)
        return;
    if (key == glfw2::KEY_SPACE)
        self.paused = !self.paused;
    else if (key == glfw2::KEY_LEFT)
        change_speed(-1);
    else if (key == glfw2::KEY_RIGHT)
        change_speed(+1);
    else if (key == glfw2::KEY_HOME)
        seek(0);
    else if (key == glfw2::KEY_END)
        seek(static_cast<long long>(self.source->edge()));
    else if (key == glfw2::KEY_PAGEUP)
        jump_by(-JUMP_SECONDS);
    else if (key == glfw2::KEY_PAGEDOWN)
        jump_by(JUMP_SECONDS);
    else if (key == glfw2::KEY_ESC)
        self.leaving = true;
}

bool step() {
    CPlayback& playback = self.source->playback();
    // At the end of a recording, next() still applies the commands made after its last step.
    if (!self.paused && (playback.position() < self.source->edge() || playback.over())) {
        if (playback.next())
            self.source->shown();
        else if (playback.over())
            self.source->played_out();
    }
    return self.leaving;
}

void poll() {
    self.source->poll();
}

void hud() {
    gui_render();
    set_texture("font");
    set_color(grey);
    std::vector<std::string> lines(1);
    for (char c : self.source->lines(SPEED_NAMES[self.speed], self.paused)) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    // Smaller letters where a long line would run into the frame counter of a small window; a
    // letter takes half its size across.
    const float room = static_cast<float>(CInterfaceFrame::width() - 180);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const float size = std::min(20.0f, 2 * room / static_cast<float>(lines[i].size() + 1));
        write(CInterfaceFrame::width() / 2, 20 + 26 * static_cast<float>(lines.size() - 1 - i), lines[i],
              size, size, CENTER);
    }
}

// A match sounds as it did: the sounds come from the board's events, not from keys.
void frame() {
    draw_frame(world_render, hud, global::camera);
    play_turn_sounds();
}

void unseen() {
    glfw2::poll_events();
    play_turn_sounds();
}

// A finished recording, shown whole.
class CRecordedSource : public CViewerSource {
  public:
    CRecordedSource(const match_recording& recording, const char* name)
        : playback_(recording), name_(name != nullptr ? name : "") {}
    CPlayback& playback() override { return playback_; }
    void played_out() override {
        if (name_.empty() || told_end_)
            return;
        told_end_ = true;
        std::printf("%s played to its end: %llu steps, final state %016" PRIx64 "\n", name_.c_str(),
                    static_cast<unsigned long long>(playback_.position()), state_hash());
        std::fflush(stdout);
    }
    std::string lines(const char* speed, bool paused) override {
        std::string line = std::string("REPLAY ") + speed + "  " +
                           watch_clock(playback_.position(), playback_.length(), global::LPS);
        if (playback_.over())
            line += "  ENDED: Escape leaves, Home plays it again";
        else if (paused)
            line += "  PAUSED";
        return line;
    }

  private:
    CPlayback playback_;
    std::string name_;  // named at the end when given
    bool told_end_ = false;
};

}  // namespace

std::string watch_clock(std::uint64_t step, std::uint64_t steps, float lps) {
    return match_time(step, lps) + " / " + match_time(steps, lps);
}

void begin_view(CViewerSource& source) {
    self = viewer();
    self.source = &source;
    change_speed(0);
    glfw2::set_key_callback(key);
    self.hooks = loop_hooks{step, frame, nullptr, &self.steps_per_second, &global::fps};
    use_window_hooks(self.hooks);
    self.hooks.unseen = unseen;
    self.hooks.poll = poll;
}

bool view_turn() {
    return loop_turn(self.loop, self.hooks);
}

void end_view() {
    self.source = nullptr;
    restart();
}

void view(CViewerSource& source) {
    begin_view(source);
    while (view_turn()) {
    }
    end_view();
}

std::unique_ptr<CViewerSource> recording_source(const match_recording& recording, const char* name) {
    return std::make_unique<CRecordedSource>(recording, name);
}
