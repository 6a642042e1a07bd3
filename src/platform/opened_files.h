#pragma once

#include <string>

// Files the player hands the running game from outside it: the browser page's "Watch a recording"
// writes the file it was given into the page's memory and names it here. The desktop has none.
// Gives the path of the next one, once; false when none waits.
bool take_opened_file(std::string& path);
