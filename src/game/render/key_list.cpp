#include "game/render/key_list.h"

#include "game/config/options.h"
#include "game/input/pad_input.h"
#include "game/netplay/network_match.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "graphics/graphics.h"
#include "interface/key_names.h"
#include "interface/window.h"

namespace {

using namespace global;

constexpr float TEXT_SIZE = 18;
constexpr float LINE_HEIGHT = 21;
// Window pixels from the lower-left corner: the table's right edge stays as far from the window's
// right edge as the how-to-play texts do, its rows above the lowest of them and below the red planet.
constexpr int TABLE_RIGHT_MARGIN = 25;
// Over a match the table starts this far right of the pause menu's window, whatever its width.
constexpr float PAUSE_MENU_GAP = 25;
constexpr float TABLE_TOP = 205;
constexpr float PAD_LEFT = 30;
constexpr float PAD_TOP = 55;

const char* const ACTIONS[] = {"Turn clockwise", "Turn counter-clockwise", "Primary fire", "Secondary fire"};

struct key_set {
    int cw, ccw, primary, secondary;
};

key_set blue_keys() {
    return {options.blue_cw, options.blue_ccw, options.blue_primary, options.blue_secondary};
}

key_set red_keys() {
    return {options.red_cw, options.red_ccw, options.red_primary, options.red_secondary};
}

int key_of(const key_set& keys, int action) {
    const int in_order[] = {keys.cw, keys.ccw, keys.primary, keys.secondary};
    return in_order[action];
}

// Either set's key for the action, or both.
std::string both_keys(int action) {
    const std::string blue = key2string(key_of(blue_keys(), action));
    const std::string red = key2string(key_of(red_keys(), action));
    return blue == red ? blue : blue + " or " + red;
}

}  // namespace

const char* action_name(int action) {
    return ACTIONS[action];
}

text_table key_table(bool over_match) {
    text_table table;
    table.size = TEXT_SIZE;
    table.line = LINE_HEIGHT;
    const bool network = over_match && network_match::playing();
    const bool red_column = !over_match || (players == MULTI && !network);
    if (network) {
        table.rows.push_back({"", network_match::own_side() == BLUE_STATION ? "BLUE" : "RED"});
    } else {
        table.rows.push_back({"", "BLUE"});
        if (red_column)
            table.rows.back().push_back("RED");
    }
    for (int action = 0; action < 4; ++action) {
        std::vector<std::string> row = {action_name(action)};
        if (network) {
            row.push_back(both_keys(action));
        } else {
            row.push_back(key2string(key_of(blue_keys(), action)));
            if (red_column)
                row.push_back(key2string(key_of(red_keys(), action)));
        }
        table.rows.push_back(row);
    }
    return table;
}

std::vector<std::string> pad_key_lines() {
    if (pad_roster().pads().empty())
        return {};
    return {"Gamepad: stick or d-pad turns, south button or right trigger is primary fire,",
            "east button or left trigger is secondary fire, Start pauses."};
}

void draw_key_list(bool over_match, int W) {
    const text_table table = key_table(over_match);
    const float left = over_match ? pause_menu->x + pause_menu->w + PAUSE_MENU_GAP
                                  : static_cast<float>(W - TABLE_RIGHT_MARGIN) - table_width(table);
    draw_table(table, left, TABLE_TOP);
    float y = PAD_TOP;
    for (const std::string& line : pad_key_lines()) {
        write(PAD_LEFT, y, line, TEXT_SIZE, TEXT_SIZE, LEFT);
        y -= LINE_HEIGHT;
    }
}
