#pragma once

// Reading pads from the system, on each target: pads_desktop.cpp (GLFW), pads_web.cpp (the browser).
#include "platform/pads.h"

namespace glfw2::target {

// Reads pad `id` (0 to MAX_PADS - 1); false when no pad is connected there.
bool read_pad(int id, pad_state& state);

}  // namespace glfw2::target
