#pragma once

#include <functional>

// Runs `body` in a child process and gives its result (0 to 255), or -1 when it has not finished within
// `seconds` (it is then killed): a reader that waits for ever on a pipe fails the test instead of
// hanging it.
int bounded_call(double seconds, const std::function<int()>& body);
