#include "game/config/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/config/frame_rate.h"
#include "game/config/menu_buttons.h"
#include "game/config/network_defaults.h"
#include "game/sim/opponent_kind.h"
#include "general/echoed_text.h"
#include "general/line_faults.h"
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

std::string on_off(bool on) {
    return on ? "on" : "off";
}

// The names the "opponent" line takes, by global::opponent_kind, and the titles of its button.
const char* const OPPONENT_NAMES[global::OPPONENT_KINDS] = {"classic", "gunner"};
const char* const OPPONENT_TITLES[global::OPPONENT_KINDS] = {"Opponent: Classic", "Opponent: Gunner"};

bool parse_opponent(const std::string& text, int& out) {
    for (int i = 0; i < global::OPPONENT_KINDS; ++i) {
        if (text == OPPONENT_NAMES[i]) {
            out = i;
            return true;
        }
    }
    return false;
}

// One setting as the file holds it: takes the value from its text (false when the text is not one),
// and gives the text of the value held.
struct setting_line {
    const char* name;
    bool (*parse)(const std::string& text, CSettings& s);
    std::string (*format)(const CSettings& s);
};

const setting_line LINES[] = {
    {"sound", [](const std::string& v, CSettings& s) { return parse_on_off(v, s.sound); },
     [](const CSettings& s) { return on_off(s.sound); }},
    {"volume", [](const std::string& v, CSettings& s) { return parse_int(v, 0, 10, s.volume); },
     [](const CSettings& s) { return std::to_string(s.volume); }},
    {"network_port",
     [](const std::string& v, CSettings& s) { return parse_int(v, 1, 65535, s.network_port); },
     [](const CSettings& s) { return std::to_string(s.network_port); }},
    {"input_delay",
     [](const std::string& v, CSettings& s) {
         return parse_int(v, 1, network_defaults::MAX_INPUT_DELAY, s.input_delay);
     },
     [](const CSettings& s) { return std::to_string(s.input_delay); }},
    {"last_join",
     [](const std::string& v, CSettings& s) {
         if (v.size() > 64)
             return false;
         s.last_join = v;
         return true;
     },
     [](const CSettings& s) { return s.last_join; }},
    {"rendezvous_server",
     [](const std::string& v, CSettings& s) {
         const bool name_like =
             v.size() <= 255 && v.find_first_not_of(
                                    "abcdefghijklmnopqrstuvwxyz"
                                    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:") == std::string::npos;
         if (name_like)
             s.rendezvous_server = v;
         return name_like;
     },
     [](const CSettings& s) { return s.rendezvous_server; }},
    {"pad_dead_zone",
     [](const std::string& v, CSettings& s) { return parse_float(v, 0.0f, 0.9f, s.pad_dead_zone); },
     [](const CSettings& s) {
         char text[32];
         std::snprintf(text, sizeof text, "%g", s.pad_dead_zone);
         return std::string(text);
     }},
    {"pads_swapped", [](const std::string& v, CSettings& s) { return parse_on_off(v, s.pads_swapped); },
     [](const CSettings& s) { return on_off(s.pads_swapped); }},
    {"opponent", [](const std::string& v, CSettings& s) { return parse_opponent(v, s.opponent); },
     [](const CSettings& s) { return std::string(OPPONENT_NAMES[s.opponent]); }},
    {"frame_rate", [](const std::string& v, CSettings& s) { return frame_rate::from_text(v, s.frame_rate); },
     [](const CSettings& s) { return frame_rate::to_text(s.frame_rate); }},
};

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
    rendezvous_server = ZELVORANT_RENDEZVOUS_SERVER;
    pad_dead_zone = 0.25f;
    pads_swapped = false;
    opponent = global::CLASSIC_OPPONENT;
    frame_rate = frame_rate::UNLIMITED;
}

void CSettings::read() {
    restore();
    readable = true;
    std::string error;
    std::vector<int> odd_lines;
    const CKeyValueFile::read_result result = file.read(SETTINGS, odd_lines, error);
    if (result == CKeyValueFile::MISSING)
        return;
    if (result != CKeyValueFile::READ) {
        readable = false;
        std::fprintf(stderr, "Ignoring \"%s\" (%s); using the default settings\n", SETTINGS, error.c_str());
        return;
    }
    CLineFaults faults(SETTINGS);
    for (int number : odd_lines)
        faults.add(number, "not \"name = value\"");
    faults.finish();
    take_values(true);
}

void CSettings::take_values(bool say_what_is_bad) {
    for (const setting_line& line : LINES) {
        const std::string* value = file.find(line.name);
        // A refused value leaves the field as it was.
        if (value != nullptr && !line.parse(*value, *this) && say_what_is_bad)
            std::fprintf(stderr, "Ignoring %s = %s in \"%s\"; using the default\n", line.name,
                         echoed(*value).c_str(), SETTINGS);
    }
}

void CSettings::write() {
    if (!readable) {
        std::fprintf(stderr, "Not saving the settings: \"%s\" could not be read, and is kept as it is\n",
                     SETTINGS);
        return;
    }
    // What the file gives as it stands: a value the player has not changed keeps its line as it was,
    // even one this version refuses.
    CSettings as_read;
    as_read.file = file;
    as_read.take_values(false);
    for (const setting_line& line : LINES) {
        const std::string now = line.format(*this);
        if (now != line.format(as_read))
            file.set(line.name, now);
    }
    std::string error;
    if (!file.write(SETTINGS, error))
        std::fprintf(stderr, "Could not save the settings to \"%s\": %s\n", SETTINGS, error.c_str());
}

bool CSettings::is_default() const {
    const CSettings defaults;
    return sound == defaults.sound && volume == defaults.volume && pad_dead_zone == defaults.pad_dead_zone &&
           pads_swapped == defaults.pads_swapped && opponent == defaults.opponent &&
           frame_rate == defaults.frame_rate;
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
        menu->buttons[SOUND_BUTTON]->title = !sound_device ? "No sound device"
                                             : sound       ? "Sound ON"
                                                           : "Sound OFF";
    if (menu != nullptr && FRAME_RATE_BUTTON < static_cast<int>(menu->buttons.size()))
        menu->buttons[FRAME_RATE_BUTTON]->title = frame_rate::title(frame_rate);
}
