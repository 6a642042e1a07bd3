#pragma once

#include <string>

// Key codes (GLFW 2 numbering) to the names shown in the options menu, and back.
std::string key2string(int key);
int string2key(std::string key);
std::string int2string(int number);
