#include "game/ui/menu_windows.h"

namespace global {

CWindow* pause_menu = nullptr;
CWindow* main_menu = nullptr;
CWindow* options_menu = nullptr;
CWindow* howto_menu = nullptr;
CWindow* diff_menu = nullptr;
CWindow* network_menu = nullptr;

}  // namespace global
