#pragma once

#include <string>
#include <vector>

// The look of a window or of its buttons in one state.
struct window_graphics {
    float colour[4];
    float o_colour[4];
    float f_colour[4];
    int texture;
    int font;
    float font_size;
    bool outline;
};

class CWindow;

class CButton {
public:
    float x;
    float y;
    float h;
    float w;
    std::string title;
    bool active;
    CWindow* parent;
    // A button its target does not offer (the window's size in a browser) is neither drawn nor pressed,
    // and keeps its index.
    bool shown = true;

    CButton(float a, float b, float c, float d, std::string text, CWindow* par);
    // mode 0 normal, 1 hover, 2 active; called by CWindow::draw inside the window's translation.
    void draw(int mode);
};

// A menu window in window pixels (origin lower left) with buttons placed relative to it.
class CWindow {
public:
    float x;
    float y;
    float h;
    float w;
    std::string title;
    std::vector<CButton*> buttons;
    window_graphics normal;
    window_graphics hover;
    window_graphics window;
    window_graphics active;

    CWindow(float a, float b, float c, float d, std::string str);
    void add_button(float a, float b, float c, float d, std::string text);
    // Index of the first button under the mouse pointer, or -1.
    int check();

    void set_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col);
    void normal_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col);
    void hover_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col);
    void active_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col);
    void draw();
};

// The one button waiting for a key press, if any.
class CActive {
public:
    static CButton* ptr;
    static void write(CButton* pointer);
    static CButton* read();
};
