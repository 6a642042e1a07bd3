#pragma once

// The world pass: backdrop layers, particles, hit labels, shadows, aim markers.
void world_render();
