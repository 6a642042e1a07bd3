#pragma once

// A textured rectangle of the HUD and menus, still or one frame of a sprite sheet.
class CInterfaceElem {
public:
    float x;
    float y;
    float h;
    float w;
    float colour[4];
    int texture;
    int animation;
    int frames_h;
    int frames_v;
    int anim_speed;
    int blend;
    int counter;

    CInterfaceElem(float a, float b, float c, float d);
    void set_gfx(int tex, int b);
    void set_anim(int v, int h, int s);
    void display(float x, float y);
};
