#pragma once

// The headless online players (and the server) of the namespace tests: started in a folder of their
// own inside a namespace, and their output read as "key value" lines.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "program_run.h"

// `command` (the program's absolute path first) inside namespace `space`, run in `folder` (made when
// missing).
std::unique_ptr<CProgramRun> start_in(const std::string& folder, const std::string& space,
                                      const std::vector<std::string>& command);
// A player's "key value" lines, the last of each key.
std::map<std::string, std::string> items(const std::string& output);
