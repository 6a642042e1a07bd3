#include "game/ui/menus.h"

#include "game/config/menu_buttons.h"
#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "graphics/interface_frame.h"
#include "graphics/textures.h"
#include "interface/key_names.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace {

// The set operations copy these, so plain arrays are enough.
float panel[4] = {0, 0.1f, 0.2f, 0.4f};
float clear_panel[4] = {0.1f, 0.1f, 0.2f, 0};
float button_fill[4] = {0.2f, 0.2f, 0.2f, 0.5f};
float hover_fill[4] = {0.5f, 0.5f, 0.5f, 0.5f};
float light_grey[4] = {0.7f, 0.7f, 0.7f, 1};
float grey[4] = {0.5f, 0.5f, 0.5f, 1};
float white[4] = {1, 1, 1, 1};
float light_blue[4] = {0.8f, 0.8f, 1, 1};

const float FONT_SIZE = 30;

// The looks every button shares, whatever its window.
void button_looks(CWindow* w, int font) {
    w->normal_gfx(-1, button_fill, font, grey, FONT_SIZE, true, grey);
    w->hover_gfx(-1, hover_fill, font, white, FONT_SIZE, true, white);
}

// A translucent framed panel, centred on the screen.
CWindow* panel_window(const char* title, float size_h, int font) {
    CWindow* w = new CWindow(0, 0, 300, size_h, title);
    w->set_gfx(-1, panel, font, light_grey, FONT_SIZE, true, white);
    w->active_gfx(-1, panel, font, light_grey, FONT_SIZE, true, white);
    button_looks(w, font);
    w->x = (CInterfaceFrame::width() - 300) / 2.0f;
    w->y = (CInterfaceFrame::height() - size_h) / 2.0f;
    return w;
}

// A window with no visible body: only its buttons show.
CWindow* bare_window(float x, float y, float w_px, float h_px, int font) {
    CWindow* w = new CWindow(x, y, w_px, h_px, "");
    w->set_gfx(-1, clear_panel, font, light_grey, FONT_SIZE, false, white);
    return w;
}

}  // namespace

void build_menus() {
    // Laid out in the interface's frame, whatever the window's size.
    const int W = CInterfaceFrame::width();
    const int H = CInterfaceFrame::height();
    const int font = set_texture("font");

    global::pause_menu = panel_window("Pause Menu", 375, font);
    global::pause_menu->add_button(50, 275, 200, 50, "Resume");
    global::pause_menu->add_button(50, 200, 200, 50, "New game");
    global::pause_menu->add_button(50, 125, 200, 50, "Options");
    global::pause_menu->add_button(50, 50, 200, 50, "Main menu");

    global::diff_menu = panel_window("Choose difficulty", 300, font);
    global::diff_menu->add_button(50, 200, 200, 50, "Easy");
    global::diff_menu->add_button(50, 125, 200, 50, "Medium");
    global::diff_menu->add_button(50, 50, 200, 50, "Hard");
    global::diff_menu->add_button(10, 8, 280, 34, "");
    global::settings.to_difficulty_menu(global::diff_menu);

    global::main_menu = bare_window(0, static_cast<float>(H - 375), 300, 375, font);
    global::main_menu->active_gfx(-1, clear_panel, font, light_grey, FONT_SIZE, false, white);
    button_looks(global::main_menu, font);
    global::main_menu->add_button(50, 275, 200, 50, "Singleplayer");
    global::main_menu->add_button(50, 200, 200, 50, "Multiplayer");
    global::main_menu->add_button(50, 125, 200, 50, "Options");
    global::main_menu->add_button(50, 50, 200, 50, "How to play");
    global::main_menu->add_button(50, -25, 200, 50, "Quit");
    global::main_menu->add_button(50, -100, 200, 50, "Network game");

    // Half the height is truncated before the offset, as the layout expects whole pixels.
    global::options_menu = bare_window(100, static_cast<float>(H / 2 - 300), 600, 600, font);
    global::options_menu->active_gfx(-1, clear_panel, font, light_blue, FONT_SIZE, true, white);
    button_looks(global::options_menu, font);
    const COptions& options = global::options;
    const int keys[8] = {options.blue_cw, options.blue_ccw, options.blue_primary, options.blue_secondary,
                         options.red_cw,  options.red_ccw,  options.red_primary,  options.red_secondary};
    for (int i = 0; i < KEY_BUTTON_COUNT; ++i)
        global::options_menu->add_button(i < 4 ? 25 : 150, 500 - 50 * (i % 4), 100, 30, key2string(keys[i]));
    global::options_menu->add_button(300, 30, 100, 50, "Save");
    global::options_menu->add_button(425, 30, 100, 50, "Cancel");
    global::options_menu->add_button(25, 230, 30, 30, "<");
    global::options_menu->add_button(225, 230, 30, 30, ">");
    global::options_menu->add_button(25, 180, 230, 30,
                                     options.fullscreen ? "Fullscreen ON" : "Fullscreen OFF");
    // Sound and volume in the free space under the display options (SOUND_BUTTON and after).
    global::options_menu->add_button(25, 130, 230, 30, "");
    global::options_menu->add_button(25, 85, 30, 30, "-");
    global::options_menu->add_button(225, 85, 30, 30, "+");
    // The frame-rate choice in the free space under the volume (FRAME_RATE_BUTTON).
    global::options_menu->add_button(25, 40, 230, 30, "");
    if (!glfw2::window_size_offered())
        for (int b : {SMALLER_BUTTON, LARGER_BUTTON, FULLSCREEN_BUTTON, FRAME_RATE_BUTTON})
            global::options_menu->buttons[b]->shown = false;
    global::settings.to_menu(global::options_menu);

    global::network_menu = panel_window("Network game", 375, font);
    global::network_menu->add_button(50, 150, 200, 50, "Host");
    global::network_menu->add_button(50, 85, 200, 50, "Join");
    global::network_menu->add_button(50, 20, 200, 50, "Back");
    // Internet play beside the panel, each beside its direct kind.
    global::network_menu->add_button(320, 150, 200, 50, "Host online");
    global::network_menu->add_button(320, 85, 200, 50, "Join code");
    // Between the address and Host: it watches the match at the address typed.
    global::network_menu->add_button(75, 208, 150, 36, "Watch");

    global::howto_menu = bare_window(static_cast<float>(W - 230), 30, 200, 50, font);
    global::howto_menu->active_gfx(-1, clear_panel, font, light_grey, FONT_SIZE, false, white);
    button_looks(global::howto_menu, font);
    global::howto_menu->add_button(0, 0, 200, 50, "Main menu");
}
