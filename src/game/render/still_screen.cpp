#include "game/render/still_screen.h"

#include <cstdint>
#include <string>
#include <vector>

#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/render/key_list.h"
#include "game/render/match_result.h"
#include "game/render/options_extras.h"
#include "game/render/screen_inputs.h"
#include "game/sim/global.h"
#include "game/sim/match_tally.h"
#include "game/sim/state_hash.h"
#include "game/ui/screen_flow.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/picture_inputs.h"

namespace {

using namespace global;

// What the options screen shows beyond its menu: the resolution, the volume and the pads.
void describe_options(std::vector<float>& out) {
    const float values[] = {static_cast<float>(options.width), static_cast<float>(options.height),
                            static_cast<float>(settings.volume)};
    append_inputs(out, values, 3);
    for (const std::string& line : options_pad_lines())
        append_text_inputs(out, line);
}

void describe_table(std::vector<float>& out, const text_table& table) {
    for (const auto& row : table.rows)
        for (const std::string& cell : row)
            append_text_inputs(out, cell);
}

// The keys named on the how-to-play scene and under the pause menu, and the pad's lines.
void describe_keys(std::vector<float>& out, bool over_match) {
    describe_table(out, key_table(over_match));
    for (const std::string& line : pad_key_lines())
        append_text_inputs(out, line);
}

// Everything the still picture is drawn from, or nothing on a screen where something moves by itself.
std::vector<float> still_screen_now() {
    // The network screen's typed address has a blinking cursor; a match under way moves.
    const bool title = game_state == HIDDEN && menu_state != NETWORK && menu_state != NONE;
    const bool board_still =
        menu_state != NETWORK && ((game_state == PAUSED && menu_state != NONE) || game_state == ENDED);
    const bool over_board = board_still && station1 != nullptr && station2 != nullptr;
    if (!title && !over_board)
        return {};
    std::vector<float> out;
    append_screen_inputs(out, true);
    if (CWindow* menu = current_menu())
        append_menu_inputs(out, *menu);
    if (menu_state == OPTIONS)
        describe_options(out);
    if (menu_state == INSTRUCTIONS || (menu_state == MAIN && game_state != HIDDEN))
        describe_keys(out, menu_state == MAIN);
    if (game_state == ENDED && menu_state == NONE) {
        describe_table(out, result_figures(tally));
        append_text_inputs(out, match_length(tally));
    }
    // The how-to-play scene is a board of its own.
    if (over_board || menu_state == INSTRUCTIONS) {
        // The board itself: every particle, both stations and the clocks, in 16-bit pieces a float holds.
        const std::uint64_t hash = board_hash();
        for (int shift = 0; shift < 64; shift += 16)
            out.push_back(static_cast<float>((hash >> shift) & 0xffff));
        out.push_back(static_cast<float>(counter));
    }
    return out;
}

}  // namespace

bool CStillScreen::holds(const std::vector<float>& now) const {
    return !view.empty() && drawing_to_window() && view == now;
}

bool CStillScreen::begin_frame() {
    frame_seen = false;
    return holds(seen());
}

bool CStillScreen::kept() const {
    return holds(still_screen_now());
}

const std::vector<float>& CStillScreen::seen() {
    if (!frame_seen) {
        frame_view = still_screen_now();
        frame_seen = true;
    }
    return frame_view;
}

bool CStillScreen::put_back() {
    if (!holds(seen()))
        return false;
    frame_seen = false;
    copy.put_back(0, 0, CDisplay::width(), CDisplay::height());
    return true;
}

void CStillScreen::keep() {
    view = seen();
    frame_seen = false;
    if (view.empty() || !drawing_to_window() || !copy.take(0, 0, CDisplay::width(), CDisplay::height()))
        view.clear();
}

CStillScreen& still_screen() {
    static CStillScreen self;
    return self;
}
