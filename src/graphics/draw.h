#pragma once

// Bringing up the window, colours and the two screen primitives.
//
// The drawing baseline: every drawing function may expect this GL state when it is called, and leaves it so:
// - polygon mode GL_FILL on both faces, line width 1, point size 1 (code that changes the widths puts them
//   back itself: a browser's OpenGL has no attribute stack, no polygon modes and no line wider than 1, so
//   convex shapes are triangles, outlines line loops, and a wide line that shows is quads where lines
//   are never wider than a pixel);
// - no texture: GL_TEXTURE_2D disabled with NO_TEXTURE bound (bind_no_texture). Texturing is enabled with
//   the picture bound (bind_texture), never left on over a name that is no texture, which a browser draws
//   black where desktop OpenGL leaves the colour alone;
// - blending enabled, with whatever function the last drawing applied: a drawing that blends applies its
//   own (apply_blend).

#include "general/texture_names.h"

void init_gfx();
// Opens the one window at CDisplay's size; 0 on success, -1 on failure.
int open_window(const char* title, int mode);
// CDisplay's size follows the window's, should it have changed since it opened (a browser page's canvas
// follows its page): called before each frame.
void follow_window_size();

// New colour arrays; the caller owns them. Never call these once per frame: keep the array.
float* color(float r, float g, float b);
float* color(float r, float g, float b, float a);

void set_color(float r, float g, float b);
void set_color(float r, float g, float b, float a);
void set_color(float* col);

void bind_no_texture();
// Texturing with the picture `id`; NO_TEXTURE (or -1) is bind_no_texture.
void bind_texture(int id);
// Whether drawing reaches the window: feedback and selection passes leave it untouched, so there is
// nothing in it to keep.
bool drawing_to_window();
void draw_box(float x, float y, float w, float h, float* col);
void draw_tex(float x, float y, float w, float h, float* col, int tex);
