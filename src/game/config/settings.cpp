#include "game/config/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/config/network_defaults.h"
#include "game/config/options_buttons.h"
#include "interface/window.h"

namespace {

const char* const SETTINGS = "settings";

bool parse_int(const std::string& text, int low, int high, int& out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parse_float(const std::string& text, float low, float high, float& out) {
    char* end = nullptr;
    errno = 0;
    float v = std::strtof(text.c_str(), &end);
    // The negated test also refuses NaN.
    if (text.empty() || errno != 0 || *end != '\0' || !(v >= low && v <= high))
        return false;
    out = v;
    return true;
}

bool parse_on_off(const std::string& text, bool& out) {
    if (text != "on" && text != "off")
        return false;
    out = text == "on";
    return true;
}

}  // namespace

namespace global {
CSettings settings;
}

void CSettings::restore() {
    sound = true;
    volume = 8;
    network_port = network_defaults::PORT;
    input_delay = network_defaults::INPUT_DELAY;
    last_join.clear();
    pad_dead_zone = 0.25f;
    pads_swapped = false;
}

void CSettings::read() {
    restore();
    std::string error;
    CKeyValueFile::read_result result = file.read(SETTINGS, error);
    if (result == CKeyValueFile::MISSING)
        return;

    CSettings parsed;
    bool ok = result == CKeyValueFile::READ;
    auto take = [&](const char* name, auto parse) {
        const std::string* value = file.find(name);
        if (ok && value != nullptr && !parse(*value)) {
            ok = false;
            error = std::string("bad value for ") + name + ": \"" + *value + "\"";
        }
    };
    take("sound", [&](const std::string& v) { return parse_on_off(v, parsed.sound); });
    take("volume", [&](const std::string& v) { return parse_int(v, 0, 10, parsed.volume); });
    take("network_port", [&](const std::string& v) { return parse_int(v, 1, 65535, parsed.network_port); });
    take("input_delay", [&](const std::string& v) {
        return parse_int(v, 1, network_defaults::MAX_INPUT_DELAY, parsed.input_delay);
    });
    take("last_join", [&](const std::string& v) {
        parsed.last_join = v;
        return v.size() <= 64;
    });
    take("pad_dead_zone",
         [&](const std::string& v) { return parse_float(v, 0.0f, 0.9f, parsed.pad_dead_zone); });
    take("pads_swapped", [&](const std::string& v) { return parse_on_off(v, parsed.pads_swapped); });

    if (!ok) {
        std::fprintf(stderr, "Ignoring \"%s\" (%s); using the default settings\n", SETTINGS, error.c_str());
        file = CKeyValueFile();
        return;
    }
    parsed.file = file;
    parsed.sound_device = sound_device;
    *this = parsed;
}

void CSettings::write() {
    file.set("sound", sound ? "on" : "off");
    file.set("volume", std::to_string(volume));
    // The network lines appear once network play has been used, so other files stay as they were.
    if (network_port != network_defaults::PORT || file.find("network_port") != nullptr)
        file.set("network_port", std::to_string(network_port));
    if (input_delay != network_defaults::INPUT_DELAY || file.find("input_delay") != nullptr)
        file.set("input_delay", std::to_string(input_delay));
    if (!last_join.empty() || file.find("last_join") != nullptr)
        file.set("last_join", last_join);
    char dead_zone[32];
    std::snprintf(dead_zone, sizeof dead_zone, "%g", pad_dead_zone);
    file.set("pad_dead_zone", dead_zone);
    file.set("pads_swapped", pads_swapped ? "on" : "off");
    std::string error;
    if (!file.write(SETTINGS, error))
        std::fprintf(stderr, "Could not save the settings to \"%s\": %s\n", SETTINGS, error.c_str());
}

bool CSettings::is_default() const {
    const CSettings defaults;
    return sound == defaults.sound && volume == defaults.volume && pad_dead_zone == defaults.pad_dead_zone &&
           pads_swapped == defaults.pads_swapped;
}

void CSettings::save() {
    std::error_code ignored;
    if (is_default() && !std::filesystem::exists(std::filesystem::symlink_status(SETTINGS, ignored)))
        return;
    write();
}

void CSettings::to_menu(CWindow* menu) const {
    if (menu != nullptr && SOUND_BUTTON < static_cast<int>(menu->buttons.size()))
        menu->buttons[SOUND_BUTTON]->title = !sound_device ? "No sound device"
                                             : sound       ? "Sound ON"
                                                           : "Sound OFF";
}
