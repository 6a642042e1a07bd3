#include <emscripten/emscripten.h>

#include "platform/opened_files.h"

namespace {
std::string waiting;
}

// Called by the page once it has written the file into the page's memory.
extern "C" EMSCRIPTEN_KEEPALIVE void zelvorant_open_file(const char* path) {
    waiting = path != nullptr ? path : "";
}

bool take_opened_file(std::string& path) {
    if (waiting.empty())
        return false;
    path = waiting;
    waiting.clear();
    return true;
}
