#include "interface/window.h"

#include <utility>

#include "graphics/interface_frame.h"
#include "interface/highlight.h"

CButton* CActive::ptr = nullptr;

void CActive::write(CButton* pointer) {
    ptr = pointer;
}

CButton* CActive::read() {
    return ptr;
}

CButton::CButton(float a, float b, float c, float d, std::string text, CWindow* par)
    : x(a), y(b), h(d), w(c), title(std::move(text)), active(false), parent(par) {}

// The sets start zeroed so that a window drawn before its looks are filled shows nothing
// unpredictable; the window's own fill starts untextured.
CWindow::CWindow(float a, float b, float c, float d, std::string str)
    : x(a), y(b), h(d), w(c), title(std::move(str)), normal(), hover(), window(), active() {
    window.texture = -1;
}

void CWindow::add_button(float a, float b, float c, float d, std::string text) {
    buttons.push_back(new CButton(a, b, c, d, std::move(text), this));
}

int CWindow::check() {
    if (CHighlight::window() == this)
        return CHighlight::index();
    // The menus are laid out in the interface's frame, from its bottom.
    float px = 0;
    float py = 0;
    CInterfaceFrame::pointer(px, py);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const CButton* b = buttons[i];
        if (!b->shown)
            continue;
        const float left = x + b->x;
        const float bottom = y + b->y;
        if (left <= px && px <= left + b->w && bottom <= py && py <= bottom + b->h)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

void fill(window_graphics& set, int tex, const float* col, int fon, const float* f_col, float f_size,
          bool out, const float* o_col) {
    // A missing colour keeps the one the set already has rather than reading through null.
    for (int i = 0; i < 4; ++i) {
        if (col)
            set.colour[i] = col[i];
        if (o_col)
            set.o_colour[i] = o_col[i];
        if (f_col)
            set.f_colour[i] = f_col[i];
    }
    set.texture = tex;
    set.font = fon;
    set.font_size = f_size;
    set.outline = out;
}

}  // namespace

void CWindow::set_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col) {
    fill(window, tex, col, fon, f_col, f_size, out, o_col);
}

void CWindow::normal_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col) {
    fill(normal, tex, col, fon, f_col, f_size, out, o_col);
}

void CWindow::hover_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col) {
    fill(hover, tex, col, fon, f_col, f_size, out, o_col);
}

void CWindow::active_gfx(int tex, float* col, int fon, float* f_col, float f_size, bool out, float* o_col) {
    fill(active, tex, col, fon, f_col, f_size, out, o_col);
}
