#pragma once

#include "tga_writer.h"

// The window as drawn so far (the back buffer, `width` by `height` pixels), rows from the top, opaque:
// as a screenshot shows it.
rgba_image read_framebuffer_image(int width, int height);
