#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/render/match_time.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"

// A match shown on the board with the HUD: Space pauses, Left and Right halve and double the speed
// (x0.25 to x8), Home and End jump to the start and as far as may be shown, Page Up and Page Down ten
// seconds back and on; Escape or closing the window ends it. Nothing is recorded.
class CViewerSource {
  public:
    virtual ~CViewerSource() = default;
    // The match shown now.
    virtual CPlayback& playback() = 0;
    // Once a turn, before the steps: a match still being played takes what arrived.
    virtual void poll() {}
    // How far the match may be shown now.
    virtual std::uint64_t edge() { return playback().length(); }
    // After each step shown and each jump.
    virtual void shown() {}
    // At each step due once the whole match has been shown.
    virtual void played_out() {}
    // The lines under the board, the last one lowest: where the viewer stands and what it may do.
    virtual std::string lines(const char* speed, bool paused) = 0;
};

// Shows the source's matches until Escape or the window is closed; the window stays open.
void view(CViewerSource& source);
// The same a turn at a time: the viewer's keys take over the window; a turn of the viewer's main loop,
// false once it is left; the board cleared for the game again.
void begin_view(CViewerSource& source);
bool view_turn();
void end_view();

// The recorded match with the time watched (--replay, a recording opened in the browser's page). With a
// name, the board it ends with is told on standard output under that name once it has been played out.
std::unique_ptr<CViewerSource> recording_source(const match_recording& recording, const char* name = nullptr);

// "m:ss / m:ss": the time watched and the recording's length, in whole match seconds.
std::string watch_clock(std::uint64_t step, std::uint64_t steps, float lps);
