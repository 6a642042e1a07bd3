#include "game/config/frame_rate.h"

#include <cerrno>
#include <cstdlib>

namespace frame_rate {

namespace {
const int OFFERED[] = {UNLIMITED, VSYNC, 60, 120, 144};
constexpr int OFFERED_COUNT = sizeof(OFFERED) / sizeof(OFFERED[0]);
}  // namespace

int next(int rate) {
    for (int i = 0; i < OFFERED_COUNT; ++i)
        if (OFFERED[i] == rate)
            return OFFERED[(i + 1) % OFFERED_COUNT];
    return OFFERED[0];
}

std::string title(int rate) {
    if (rate == UNLIMITED)
        return "Unlimited FPS";
    if (rate == VSYNC)
        return "Vertical sync";
    return std::to_string(rate) + " FPS cap";
}

std::string to_text(int rate) {
    if (rate == UNLIMITED)
        return "unlimited";
    if (rate == VSYNC)
        return "vsync";
    return std::to_string(rate);
}

bool from_text(const std::string& text, int& out) {
    if (text == "unlimited" || text == "vsync") {
        out = text == "vsync" ? VSYNC : UNLIMITED;
        return true;
    }
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || text[0] < '0' || text[0] > '9' || errno != 0 || *end != '\0' || v < LOWEST_CAP ||
        v > HIGHEST_CAP)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace frame_rate
