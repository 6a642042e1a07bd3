#pragma once

#include <string>

#include "tga_writer.h"

// Writes the picture as a PNG file (what desktop icon themes hold); false when it cannot be written.
bool write_png(const std::string& path, const rgba_image& image);
