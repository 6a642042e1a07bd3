#pragma once

#include <string>

#include "general/texture_names.h"

// The texture registry: ids generated when the window opens, pictures registered by name in `textures`.
constexpr int TEXTURE_SLOTS = 100;

extern unsigned int tex2[TEXTURE_SLOTS];
extern int last_tex;
// Pictures loaded so far: drawings kept from earlier pictures are stale once it changes.
extern int texture_loads;

void load_texture(std::string path, std::string name);
void load_texture(std::string path, unsigned int id);
// Binds the texture registered under name and returns its id.
int set_texture(std::string name);
