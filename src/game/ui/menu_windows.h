#pragma once

class CWindow;

// The menu windows, built by build_menus for the display's size.
namespace global {

extern CWindow* pause_menu;
extern CWindow* main_menu;
extern CWindow* options_menu;
extern CWindow* howto_menu;
extern CWindow* diff_menu;
extern CWindow* network_menu;

}  // namespace global
