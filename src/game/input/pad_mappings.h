#pragma once

#include <string>

// Extra pad mappings from a file of SDL_GameControllerDB lines ("gamecontrollerdb.txt" in the working
// directory), added to the ones GLFW carries. A missing file adds nothing quietly; a line that is not a
// mapping, a comment or blank is skipped with one line on standard error. Returns the mappings added.
int load_pad_mappings(const char* path);

// Why `line` is not a well-formed mapping; empty when it is one.
std::string mapping_fault(const std::string& line);
