#include "game/input/pad_menu.h"

#include "game/ui/screen_flow.h"
#include "interface/highlight.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace {

// The pad moved last; the highlight follows it from menu to menu until the mouse leaves where it was
// when the pad took the lead.
bool pad_leads = false;
int pointer_x = 0;
int pointer_y = 0;

void pad_takes_over() {
    if (!pad_leads)
        glfw2::get_mouse_pos(&pointer_x, &pointer_y);
    pad_leads = true;
}

void mouse_takes_over() {
    pad_leads = false;
    CHighlight::clear();
}

// The current menu when it has a button to highlight.
CWindow* menu_with_buttons() {
    CWindow* menu = current_menu();
    return menu != nullptr && !menu->buttons.empty() ? menu : nullptr;
}

}  // namespace

void pad_menu_move(int step) {
    CWindow* menu = menu_with_buttons();
    if (menu == nullptr)
        return;
    const int count = static_cast<int>(menu->buttons.size());
    int index = step > 0 ? 0 : count - 1;
    if (pad_leads && CHighlight::window() == menu)
        index = ((CHighlight::index() + step) % count + count) % count;
    // Over the buttons that are not shown, the same way.
    const int way = step > 0 ? 1 : -1;
    for (int tried = 0; tried < count && !menu->buttons[index]->shown; ++tried)
        index = ((index + way) % count + count) % count;
    pad_takes_over();
    CHighlight::set(menu, index);
}

void pad_menu_press() {
    CWindow* menu = menu_with_buttons();
    if (menu == nullptr)
        return;
    if (!pad_leads || CHighlight::window() != menu) {
        pad_takes_over();
        CHighlight::set(menu, 0);
        return;
    }
    mouse_callback(glfw2::MOUSE_BUTTON_LEFT, glfw2::PRESS);
}

void pad_menu_back() {
    pad_takes_over();
    escape_pressed();
}

void pad_menu_follow() {
    if (!pad_leads)
        return;
    int x = 0, y = 0;
    glfw2::get_mouse_pos(&x, &y);
    if (x != pointer_x || y != pointer_y) {
        mouse_takes_over();
        return;
    }
    pad_menu_carry();
}

void pad_menu_carry() {
    if (!pad_leads)
        return;
    CWindow* menu = menu_with_buttons();
    if (menu == nullptr)
        CHighlight::clear();
    else if (CHighlight::window() != menu)
        CHighlight::set(menu, 0);
}

void pointer_button(int button, int action) {
    if (action == glfw2::PRESS)
        mouse_takes_over();
    mouse_callback(button, action);
}
