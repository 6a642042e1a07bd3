#pragma once

#include <vector>

#include "graphics/backdrop.h"

// The world pass: backdrop layers, particles, hit labels, shadows, aim markers.
void world_render();
// The backdrop layers as the world pass keeps them between frames.
CBackdrop& world_backdrop();
// The world's backdrop layers, far to near, at their depths.
const std::vector<CBackdrop::layer>& backdrop_layers();
