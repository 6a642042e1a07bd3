#include "game/config/options.h"

#include <cstdio>
#include <sstream>
#include <string>

#include "game/config/options_buttons.h"
#include "general/atomic_file.h"
#include "interface/key_names.h"
#include "interface/window.h"
#include "platform/file_bytes.h"
#include "platform/glfw2.h"

namespace global {
COptions options{};
}

namespace {

const char* const CONF = "conf";
// Ten short lines; room for any spacing a player may give them.
constexpr std::size_t MAX_CONF_BYTES = 1 << 20;
const char* const KEY_LABELS[8] = {"blue_cw", "blue_ccw", "blue_primary", "blue_secondary",
                                   "red_cw",  "red_ccw",  "red_primary",  "red_secondary"};

// The key fields in file and button order.
int COptions::*const KEY_FIELDS[8] = {
    &COptions::blue_cw, &COptions::blue_ccw, &COptions::blue_primary, &COptions::blue_secondary,
    &COptions::red_cw,  &COptions::red_ccw,  &COptions::red_primary,  &COptions::red_secondary};

std::string file_text(const COptions& o) {
    std::ostringstream out;
    for (int i = 0; i < 8; ++i)
        out << o.*KEY_FIELDS[i] << ' ' << KEY_LABELS[i] << '\n';
    out << o.width << ' ' << o.height << '\n';
    out << (o.fullscreen ? 1 : 0);
    return out.str();
}

}  // namespace

void COptions::restore() {
    blue_cw = 65;
    blue_ccw = 81;
    blue_primary = 68;
    blue_secondary = 70;
    red_cw = 306;
    red_ccw = 309;
    red_primary = 307;
    red_secondary = 308;
    fullscreen = false;
    width = 1024;
    height = 600;
}

int COptions::read() {
    std::string bytes, detail;
    switch (read_file_bytes(CONF, MAX_CONF_BYTES, bytes, detail)) {
        case FILE_READ:
            break;
        case FILE_NOT_REGULAR:
            std::fprintf(stderr, "Ignoring \"%s\": not a regular file\n", CONF);
            return -1;
        case FILE_TOO_LARGE:
            std::fprintf(stderr, "Ignoring \"%s\": %s, too large for options\n", CONF, detail.c_str());
            return -1;
        default:
            return -1;
    }
    std::istringstream in(bytes);

    COptions parsed;
    parsed.restore();
    std::string label;
    for (int i = 0; i < 8; ++i)
        in >> parsed.*KEY_FIELDS[i] >> label;
    in >> parsed.width >> parsed.height >> parsed.fullscreen;

    // A file that stops early or holds text where a number belongs, or a size no window can
    // have, would otherwise leave a mix of stale and zeroed fields: use the defaults instead.
    if (in.fail() || parsed.width <= 0 || parsed.height <= 0) {
        restore();
        return 0;
    }
    if (parsed.width > glfw2::MAX_WINDOW_SIDE || parsed.height > glfw2::MAX_WINDOW_SIDE) {
        COptions defaults;
        defaults.restore();
        std::fprintf(stderr,
                     "\"%s\" asks for a window of %d x %d pixels, more than any monitor has (%d on a side): "
                     "using %d x %d\n",
                     CONF, parsed.width, parsed.height, glfw2::MAX_WINDOW_SIDE, defaults.width,
                     defaults.height);
        parsed.width = defaults.width;
        parsed.height = defaults.height;
    }
    *this = parsed;
    return 0;
}

void COptions::write() {
    std::string error;
    if (!write_file_atomically(CONF, file_text(*this), error))
        std::fprintf(stderr, "Could not save the options to \"%s\": %s\n", CONF, error.c_str());
}

void COptions::from_menu(CWindow* menu) {
    if (!menu)
        return;
    const int count = static_cast<int>(menu->buttons.size());
    for (int i = 0; i < KEY_BUTTON_COUNT && i < count; ++i)
        this->*KEY_FIELDS[i] = string2key(menu->buttons[i]->title);
    if (FULLSCREEN_BUTTON < count) {
        const std::string& t = menu->buttons[FULLSCREEN_BUTTON]->title;
        if (t == "Fullscreen OFF")
            fullscreen = false;
        else if (t == "Fullscreen ON")
            fullscreen = true;
    }
}

void COptions::to_menu(CWindow* menu) {
    if (!menu)
        return;
    const int count = static_cast<int>(menu->buttons.size());
    for (int i = 0; i < KEY_BUTTON_COUNT && i < count; ++i)
        menu->buttons[i]->title = key2string(this->*KEY_FIELDS[i]);
    if (FULLSCREEN_BUTTON < count)
        menu->buttons[FULLSCREEN_BUTTON]->title = fullscreen ? "Fullscreen ON" : "Fullscreen OFF";
}
