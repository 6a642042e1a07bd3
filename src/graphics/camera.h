#pragma once

class CFigure;

// Moves the view at most `follow` toward the figure; camera holds the accumulated offset.
void translate_camera(CFigure* fig, float* camera, float follow);
// Unit grid over 0..x by 0..y.
void world_grid(float x, float y);
