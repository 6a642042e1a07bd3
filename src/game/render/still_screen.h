#pragma once

#include <vector>

#include "graphics/framebuffer_copy.h"

// On the title and the screens reached from it, the menus over a paused board and a finished match
// nothing moves between frames but the frame rate drawn on top (and a menu's highlight when the pointer
// moves): the whole picture under the frame rate is composed once, kept as a copy of the window, and put
// back as one unblended quad for as long as nothing it is drawn from changes. On every other screen
// nothing is kept.
class CStillScreen {
  public:
    // In the world pass, once a frame: looks at what the still picture would be drawn from now, for the
    // rest of the frame, and tells whether the copy holds it (the world pass then draws nothing, and
    // the HUD pass puts the copy back). Nothing changes the board between the two passes.
    bool begin_frame();
    // Whether the copy holds the still picture as it would be drawn now.
    bool kept() const;
    // Puts the copy back on the whole window if it is kept; returns whether it did.
    bool put_back();
    // Copies the window as it stands once the still picture is drawn, on a screen that keeps one.
    void keep();
    // The next frame draws the still picture again.
    void invalidate() { view.clear(); }

  private:
    CFramebufferCopy copy;
    std::vector<float> view;  // what the copy was drawn from; empty when nothing is kept
    // What begin_frame saw, until this frame's put_back or keep has used it.
    std::vector<float> frame_view;
    bool frame_seen = false;

    // What the still picture is drawn from in this frame.
    const std::vector<float>& seen();
    // Whether the copy holds the picture drawn from `now`.
    bool holds(const std::vector<float>& now) const;
};

CStillScreen& still_screen();
