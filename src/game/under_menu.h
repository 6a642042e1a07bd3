#pragma once

#include <vector>

#include "graphics/window_copy.h"

// On the title, the options from the title and the menus over a paused board nothing moves between
// frames but the frame rate drawn on top (and the menu's highlight when the pointer moves): the picture
// under the frame rate, menu included (except the options screen's, drawn under text that changes with the
// settings), is composed once, kept as a copy of the window, and put back as one unblended quad for as
// long as nothing it is drawn from changes, highlight included. On every other screen nothing is kept.
class CUnderMenu {
  public:
    // Whether the copy holds the picture under the menu as it would be drawn now: the world pass then
    // draws nothing, and the HUD pass puts the copy back.
    bool kept() const;
    // Puts the copy back on the whole window if it is kept; returns whether it did.
    bool put_back() const;
    // Copies the window as it stands once the part under the menu is drawn, on a screen that keeps one.
    void keep();
    // The next frame draws the part under the menu again.
    void invalidate() { view.clear(); }

  private:
    CWindowCopy copy;
    std::vector<float> view;  // what the copy was drawn from; empty when nothing is kept
};

CUnderMenu& under_menu();
