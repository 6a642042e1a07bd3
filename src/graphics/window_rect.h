#pragma once

// A rectangle of window pixels, from its lower-left corner.
struct window_rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The part of `a` inside `b`; empty (no width or height) when they do not meet.
window_rect overlap(const window_rect& a, const window_rect& b);
// Whether `a` and `b` share a pixel.
bool meet(const window_rect& a, const window_rect& b);

// Limits drawing to one rectangle of the window until stop_clipping.
void clip_to(const window_rect& r);
void stop_clipping();
// Whether drawing inside `r` can reach the window: false while clipping to a rectangle it does not meet.
bool reaches_clip(const window_rect& r);
