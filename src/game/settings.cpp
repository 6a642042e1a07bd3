#include "game/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/menus.h"
#include "game/netplay.h"
#include "game/sim/opponent_kind.h"
#include "interface/window.h"

namespace {

const char* const SETTINGS = "settings";
// The names the "opponent" line takes, by global::opponent_kind.
const char* const OPPONENT_NAMES[global::OPPONENT_KINDS] = {"classic", "gunner"};
const char* const OPPONENT_TITLES[global::OPPONENT_KINDS] = {"Opponent: Classic", "Opponent: Gunner"};

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

bool parse_opponent(const std::string& text, int& out) {
    for (int i = 0; i < global::OPPONENT_KINDS; ++i) {
        if (text == OPPONENT_NAMES[i]) {
            out = i;
            return true;
        }
    }
    return false;
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
    network_port = CNetSession::DEFAULT_PORT;
    input_delay = CNetSession::DEFAULT_DELAY;
    last_join.clear();
    pad_dead_zone = 0.25f;
    pads_swapped = false;
    opponent = global::CLASSIC_OPPONENT;
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
    take("input_delay",
         [&](const std::string& v) { return parse_int(v, 1, CNetSession::MAX_DELAY, parsed.input_delay); });
    take("last_join", [&](const std::string& v) {
        parsed.last_join = v;
        return v.size() <= 64;
    });
    take("pad_dead_zone",
         [&](const std::string& v) { return parse_float(v, 0.0f, 0.9f, parsed.pad_dead_zone); });
    take("pads_swapped", [&](const std::string& v) { return parse_on_off(v, parsed.pads_swapped); });
    take("opponent", [&](const std::string& v) { return parse_opponent(v, parsed.opponent); });

    if (!ok) {
        std::fprintf(stderr, "Ignoring \"%s\" (%s); using the default settings\n", SETTINGS, error.c_str());
        file = CKeyValueFile();
        return;
    }
    parsed.file = file;
    *this = parsed;
}

void CSettings::write() {
    file.set("sound", sound ? "on" : "off");
    file.set("volume", std::to_string(volume));
    // The network lines appear once network play has been used, so other files stay as they were.
    if (network_port != CNetSession::DEFAULT_PORT || file.find("network_port") != nullptr)
        file.set("network_port", std::to_string(network_port));
    if (input_delay != CNetSession::DEFAULT_DELAY || file.find("input_delay") != nullptr)
        file.set("input_delay", std::to_string(input_delay));
    if (!last_join.empty() || file.find("last_join") != nullptr)
        file.set("last_join", last_join);
    char dead_zone[32];
    std::snprintf(dead_zone, sizeof dead_zone, "%g", pad_dead_zone);
    file.set("pad_dead_zone", dead_zone);
    file.set("pads_swapped", pads_swapped ? "on" : "off");
    // Like the network lines: there once another opponent has been chosen.
    if (opponent != global::CLASSIC_OPPONENT || file.find("opponent") != nullptr)
        file.set("opponent", OPPONENT_NAMES[opponent]);
    std::string error;
    if (!file.write(SETTINGS, error))
        std::fprintf(stderr, "Could not save the settings to \"%s\": %s\n", SETTINGS, error.c_str());
}

bool CSettings::is_default() const {
    const CSettings defaults;
    return sound == defaults.sound && volume == defaults.volume && pad_dead_zone == defaults.pad_dead_zone &&
           pads_swapped == defaults.pads_swapped && opponent == defaults.opponent;
}

void CSettings::save() {
    std::error_code ignored;
    if (is_default() && !std::filesystem::exists(std::filesystem::symlink_status(SETTINGS, ignored)))
        return;
    write();
}

void CSettings::to_difficulty_menu(CWindow* menu) const {
    if (menu != nullptr && OPPONENT_BUTTON < static_cast<int>(menu->buttons.size()))
        menu->buttons[OPPONENT_BUTTON]->title = OPPONENT_TITLES[opponent];
}

void CSettings::to_menu(CWindow* menu) const {
    if (menu != nullptr && SOUND_BUTTON < static_cast<int>(menu->buttons.size()))
        menu->buttons[SOUND_BUTTON]->title = sound ? "Sound ON" : "Sound OFF";
}
