#pragma once

#include <string>

#include "graphics/pixel_rect.h"

enum fonr_adjust { LEFT = 0, RIGHT = 1, CENTER = 2 };

// Bitmap-font text; the caller binds the font texture and sets the colour first.
void write(float x, float y, std::string text, float width, float height, int align);
void write(float x, float y, int number, float width, float height, int align);

// The rectangle write() covers with these arguments, in the units it draws in (window pixels in the HUD),
// with a unit to spare on each side; empty for a text without a glyph.
pixel_rect text_box(float x, float y, const std::string& text, float width, float height, int align);
// The state write() leaves behind (fill, the last glyph's texture coordinate), set without drawing: for a
// text left out of a clipped drawing it cannot reach.
void leave_write_state(const std::string& text);
