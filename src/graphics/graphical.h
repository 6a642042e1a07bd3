#pragma once

#include <vector>

#include "general/primitives.h"

// Blend modes of sprites and interface images.
enum particle_type { ALPHA = 0, ADD = 1 };

// Sets the blend function of a mode: ALPHA mixes by the source's alpha, ADD adds light. Any other value
// leaves the function as it is.
void apply_blend(int blend);

// Texture coordinates of an animation's current frame: frames run left to right, then row by row, each
// shown for `speed` counts. The caller makes sure the grid and the speed are positive.
struct frame_rect {
    float s0, t0, s1, t1;
};
frame_rect animation_frame(int counter, int frames_h, int frames_v, int speed);

// How a particle or figure is drawn.
struct graphical {
    bool outline;
    float colour[4];
    float o_colour[4];
    int texture;
    // Quad corners: top-right, bottom-right, bottom-left, top-left.
    std::vector<CVector> geometry;
    int animation;
    int frames_h;
    int frames_v;
    int anim_speed;
    int blend;
};

// Whether a sprite drawn from `g` puts a quad on the screen: it has a picture and four corners, and is a
// still picture or an animation with a positive grid and speed.
bool draws_quad(const graphical& g);
