#pragma once

#include <string>

#include "game/sim/station_input.h"
#include "graphics/pixel_rect.h"

// The HUD and menu pass, in the interface's frame.
void gui_render();
// The line under a finished match's result: "Press enter to restart" unless set otherwise.
void set_result_prompt(const std::string& prompt);

// What a match under way shows over the world, frame rate aside; without the pulsing picture unless
// `pulse`.
void draw_match_hud(bool pulse);
// The same in two parts: all that lies under the pulsing picture, then the pulsing picture (if `pulse`)
// and all that is drawn over it.
void draw_under_pulse();
void draw_pulse_and_over(bool pulse);

// The HUD's clocks, which change the picture of a match by themselves: the frame rectangles of the
// noise panel and of the pulsing picture, and the pulse's strength now.
pixel_rect noise_panel_area(int W, int H);
pixel_rect pulse_area(int H);
float hud_pulse();
// Whether the zoom hint shows over a match now: during its first ten seconds.
bool zoom_hint_shown();

// In a network match, under each station's panel: its wins in the series, and which is this side's own.
std::string network_panel_label(station_side side);
