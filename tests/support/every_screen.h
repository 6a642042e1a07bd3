#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tga_writer.h"

// Every screen of the game with the real pictures, drawn by the real passes after a real start-up: the
// game started in a scratch folder named `name` whose "conf" asks for a width x height window, with the
// pictures of `run_dir`. Each screen by the name of its picture in docs/screenshots/; empty when the game
// could not start (the test has failed then, saying why).
std::vector<std::pair<std::string, rgba_image>> draw_every_screen(const std::string& name,
                                                                  const std::string& run_dir, int width,
                                                                  int height);
