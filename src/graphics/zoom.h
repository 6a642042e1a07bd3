#pragma once

// Moves the view along z by the mouse wheel position, limited to down..up.
void translate_zoom(float multi, float up, float down);
