#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace art {

CCanvas paint_starfield();
CCanvas paint_clouds();
CCanvas paint_star();
CCanvas paint_planet(int which);  // 1 blue, 2 red
CCanvas paint_shadow();
CCanvas paint_station(int which);
CCanvas paint_cross(int which);
CCanvas paint_charge_ring();
CCanvas paint_particle();
CCanvas paint_missile();
CCanvas paint_explosion();
CCanvas paint_noise();
CCanvas paint_hud_right();
CCanvas paint_left_one();
CCanvas paint_left_two();
CCanvas paint_left_three();
// The application icon, `size` pixels square.
CCanvas paint_icon(int size);

// Pictures with lettering; empty canvases (0 x 0) when the font file cannot be read. The font's 16 x 16
// cells are `cell` pixels a side, a multiple of 32: the game's font has 32, its large font 64.
CCanvas paint_font(const std::string& font_dir, int cell);
CCanvas paint_logo(const std::string& font_dir);
CCanvas paint_splash(const std::string& font_dir);

struct named_picture {
    std::string path;  // relative to the run folder, e.g. "gfx/font.tga"
    CCanvas canvas;
    bool alpha_only = false;  // written as one channel, the alpha, which the game loads as an alpha map
};

// All 22 pictures in the order the game loads them, then the large font the game chooses for an
// interface scaled up; false with a message when one cannot be painted.
bool paint_all(const std::string& font_dir, std::vector<named_picture>& out, std::string& error);

}  // namespace art
