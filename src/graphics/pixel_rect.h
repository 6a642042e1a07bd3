#pragma once

// A rectangle of framebuffer pixels, from its lower-left corner.
struct pixel_rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The part of `a` inside `b`; empty (no width or height) when they do not meet.
pixel_rect overlap(const pixel_rect& a, const pixel_rect& b);
// Whether `a` and `b` share a pixel.
bool meet(const pixel_rect& a, const pixel_rect& b);

// Limits drawing to one rectangle of the window until stop_clipping.
void clip_to(const pixel_rect& r);
void stop_clipping();
// Whether drawing inside `r` can reach the window: false while clipping to a rectangle it does not meet.
bool reaches_clip(const pixel_rect& r);
