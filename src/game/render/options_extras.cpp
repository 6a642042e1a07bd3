#include "game/render/options_extras.h"

#include <cctype>
#include <string>
#include <vector>

#include "game/config/settings.h"
#include "game/input/key_clashes.h"
#include "game/input/pad_input.h"
#include "game/render/key_list.h"
#include "game/sim/global.h"
#include "game/ui/key_capture.h"
#include "game/ui/menu_windows.h"
#include "graphics/graphics.h"
#include "graphics/interface_frame.h"
#include "interface/window.h"

namespace {

using namespace global;

float warning_tint[4] = {1.0f, 0.45f, 0.0f, 0.45f};
float pad_text[4] = {0.8f, 0.8f, 0.8f, 1};
// The waiting button's own text colour.
float prompt_text[4] = {0.8f, 0.8f, 1, 1};

// The free part of the right column, in options-window pixels: below the action names, above Save.
constexpr float PADS_LEFT = 300;
constexpr float PADS_TOP = 230;
constexpr float LINE_HEIGHT = 22;
constexpr float TEXT_SIZE = 18;
constexpr int LINES = 6;
// Characters of TEXT_SIZE that fit between PADS_LEFT and the window's right edge.
constexpr size_t LINE_WIDTH = 32;

// Above the column titles, clear of both status panels when the options are opened over a match.
constexpr float PROMPT_TOP = 572;
constexpr float PROMPT_SIZE = 18;

void tint_shared_keys() {
    const std::array<bool, KEY_BUTTON_COUNT> shared = shared_key_buttons(*options_menu);
    // The text drawn before left the font bound, and draw_box unbinds only after its fill.
    bind_no_texture();
    for (size_t i = 0; i < shared.size(); ++i) {
        if (!shared[i])
            continue;
        const CButton* b = options_menu->buttons[i];
        draw_box(options_menu->x + b->x, options_menu->y + b->y, b->w, b->h, warning_tint);
    }
}

void list_pads() {
    const std::vector<std::string> lines = options_pad_lines();
    if (lines.empty())
        return;
    set_texture("font");
    set_color(pad_text);
    const float x = options_menu->x + PADS_LEFT;
    float y = options_menu->y + PADS_TOP - LINE_HEIGHT;
    write(x, y, "Gamepads", TEXT_SIZE, TEXT_SIZE, LEFT);
    for (const std::string& line : lines) {
        y -= LINE_HEIGHT;
        write(x, y, line, TEXT_SIZE, TEXT_SIZE, LEFT);
    }
}

void prompt_for_key() {
    const std::string prompt = key_capture_prompt();
    if (prompt.empty())
        return;
    set_texture("font");
    set_color(prompt_text);
    write(CInterfaceFrame::width() / 2, options_menu->y + PROMPT_TOP, prompt, PROMPT_SIZE, PROMPT_SIZE,
          CENTER);
}

}  // namespace

std::string key_capture_prompt() {
    const CButton* waiting = waiting_key_button();
    for (int i = 0; options_menu != nullptr && waiting != nullptr && i < KEY_BUTTON_COUNT; ++i) {
        if (static_cast<size_t>(i) < options_menu->buttons.size() && options_menu->buttons[i] == waiting) {
            std::string action = action_name(i % 4);
            action[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(action[0])));
            return std::string(i < 4 ? "Blue " : "Red ") + action + ": press a key, Escape to cancel";
        }
    }
    return "";
}

std::vector<std::string> options_pad_lines() {
    // Outside a match the seats are shown as a two-player match would use them.
    const bool single = players == SINGLE && game_state != HIDDEN;
    std::vector<std::string> lines =
        pad_roster_lines(pad_roster(), single, settings.pads_swapped, LINE_WIDTH);
    if (lines.size() > LINES - 1) {
        const size_t more = lines.size() - (LINES - 2);
        lines.resize(LINES - 2);
        lines.push_back("and " + std::to_string(more) + " more");
    }
    return lines;
}

void draw_options_extras() {
    if (options_menu == nullptr || options_menu->buttons.size() < static_cast<size_t>(KEY_BUTTON_COUNT))
        return;
    tint_shared_keys();
    list_pads();
    prompt_for_key();
}
