#include "game/input/key_clashes.h"

#include "game/ui/menu_windows.h"
#include "interface/key_names.h"
#include "interface/window.h"

std::array<bool, KEY_BUTTON_COUNT> shared_key_buttons(const CWindow& options_menu) {
    std::array<int, KEY_BUTTON_COUNT> keys;
    keys.fill(-1);
    for (size_t i = 0; i < keys.size() && i < options_menu.buttons.size(); ++i)
        keys[i] = string2key(options_menu.buttons[i]->title);
    std::array<bool, KEY_BUTTON_COUNT> shared{};
    for (size_t i = 0; i < keys.size(); ++i)
        for (size_t j = 0; j < keys.size(); ++j)
            shared[i] = shared[i] || (i != j && keys[i] != -1 && keys[i] == keys[j]);
    return shared;
}
