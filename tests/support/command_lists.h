#pragma once

#include <vector>

#include "game/replay/command_log.h"

// A recording's commands as a list a test can look into and change, and back.
std::vector<recorded_command> commands_of(const CCommandLog& log);
CCommandLog log_of(const std::vector<recorded_command>& commands);
