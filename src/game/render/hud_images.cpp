#include "game/render/hud_images.h"

namespace global {

CInterfaceElem hud_right(770, 528, 256, 256);
CInterfaceElem left_one(-1, 579, 200, 200);
CInterfaceElem left_two(0, 620, 155, 145);
CInterfaceElem left_three(-1, 529, 256, 256);
CInterfaceElem menu_planet1(0, 0, 400, 400);
CInterfaceElem menu_planet2(0, 0, 512, 512);
CInterfaceElem logo(0, 0, 500, 86);

int fps = 0;
bool zooming = true;
float zoom_mul = 1.0f;

}  // namespace global
