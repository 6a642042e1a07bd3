#include "interface/interface_elem.h"

CInterfaceElem::CInterfaceElem(float a, float b, float c, float d)
    : x(a),
      y(b),
      h(d),
      w(c),
      colour{0, 0, 0, 0},
      texture(-1),
      animation(0),
      frames_h(0),
      frames_v(0),
      anim_speed(0),
      blend(0),
      counter(0) {}

void CInterfaceElem::set_gfx(int tex, int b) {
    texture = tex;
    blend = b;
    colour[0] = colour[1] = colour[2] = colour[3] = 1;
}

void CInterfaceElem::set_anim(int v, int h, int s) {
    frames_v = v;
    frames_h = h;
    anim_speed = s;
    animation = 1;
}
