#pragma once

class CBackdrop;

// The world pass: backdrop layers, particles, hit labels, shadows, aim markers.
void world_render();
// The backdrop layers as the world pass keeps them between frames.
CBackdrop& world_backdrop();
