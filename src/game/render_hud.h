#pragma once

#include "graphics/window_rect.h"

// The HUD and menu pass, in window pixels.
void gui_render();

// What a match under way shows over the world, frame rate aside; without the pulsing picture unless
// `pulse`.
void draw_match_hud(bool pulse);

// The HUD's pulse, which changes the picture of a match every step: the window rectangle of the pulsing
// picture, and its strength now.
window_rect pulse_area(int H);
float hud_pulse();
