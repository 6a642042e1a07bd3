#pragma once

// Window size and background colour; static members only.
class CDisplay {
  public:
    static int w;
    static int h;
    static float r;
    static float g;
    static float b;
    static float a;

    static int width() { return w; }
    static int height() { return h; }
    static float red() { return r; }
    static float green() { return g; }
    static float blue() { return b; }
    static float alpha() { return a; }
    static void set_dim(int width, int height) {
        w = width;
        h = height;
    }
    static void set_bg(float red, float green, float blue, float alpha) {
        r = red;
        g = green;
        b = blue;
        a = alpha;
    }
};

enum window_mode { WINDOWED = 0, FULLSCREEN = 1 };
