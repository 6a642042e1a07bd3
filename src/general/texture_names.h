#pragma once

#include <map>
#include <string>

// Texture name that the registry never hands out: binding it draws untextured.
constexpr unsigned int NO_TEXTURE = 0xFFFFFFFFu;

// The pictures registered by name, with their texture ids. The graphics layer fills it as pictures load;
// the board only looks ids up, so that the rules run without a window.
extern std::map<std::string, unsigned int> textures;

// The id registered under `name`, or NO_TEXTURE (with one line on standard output) for a name never
// registered. Binds nothing.
int texture_id(const std::string& name);
