#pragma once

#include <string>

// Extra pad mappings from a file of SDL_GameControllerDB lines ("gamecontrollerdb.txt" in the working
// directory), added to the ones GLFW carries, in time linear in the file. A missing file adds nothing
// quietly, one that cannot be read (not a regular file, too large) nothing with one line on standard
// error. Lines for other platforms are passed over; a line that is not a mapping, a comment or blank is
// skipped and said, the first few one by one and the rest as a count. Returns the mappings added.
int load_pad_mappings(const char* path);

// Why `line` is not a well-formed mapping; empty when it is one.
std::string mapping_fault(const std::string& line);
