#pragma once

// The server's command line: --help, --version, --config FILE, and every key of the configuration
// as --key VALUE or --key=VALUE (dashes or underscores). The file is read first, whatever its place
// on the line: the other options win over it.
#include <string>
#include <vector>

#include "server/server_config.h"

enum server_launch { SERVER_RUN, SERVER_HELP, SERVER_VERSION, SERVER_BAD };

// SERVER_BAD with the reason in `error`.
server_launch parse_server_command_line(const std::vector<std::string>& args, server_config& config,
                                        std::string& error);
std::string server_usage_text();
