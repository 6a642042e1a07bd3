#pragma once

#include <string>

enum fonr_adjust { LEFT = 0, RIGHT = 1, CENTER = 2 };

// Bitmap-font text; the caller binds the font texture and sets the colour first.
void write(float x, float y, std::string text, float width, float height, int align);
void write(float x, float y, int number, float width, float height, int align);
