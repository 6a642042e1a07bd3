#pragma once

// What the window shows since the last frame was drawn, so that a frame which would show the same is not
// drawn again: on the still screens nothing changes between frames but the frame rate, once a second.
namespace shown_frame {

// After a frame was drawn and swapped.
void drawn();
// Whether the frame drawn now would be the one the window shows: the same still picture, frame rate and
// note, and the window not asked for its content again since (uncovered, resized).
bool unchanged();

}  // namespace shown_frame
