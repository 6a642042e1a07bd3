#pragma once

#include "interface/interface_elem.h"

// What the HUD and the title screen show besides the board: their pictures, the frame rate counted by the
// main loop, and the view's zoom.
namespace global {

extern CInterfaceElem hud_right;
extern CInterfaceElem left_one;
extern CInterfaceElem left_two;
extern CInterfaceElem left_three;
extern CInterfaceElem menu_planet1;
extern CInterfaceElem menu_planet2;
extern CInterfaceElem logo;

extern int fps;
extern bool zooming;
extern float zoom_mul;

}  // namespace global
