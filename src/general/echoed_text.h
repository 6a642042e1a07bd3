#pragma once

// Text from outside (a file's value, a file name, an argument) said back on standard error: in
// quotes, control and other unprintable bytes written as escapes so that it stays on one line, and
// cut when long, so that one odd value cannot fill a terminal.
#include <cstddef>
#include <string>

constexpr std::size_t ECHOED_MOST = 80;

std::string echoed(const std::string& text, std::size_t most = ECHOED_MOST);
