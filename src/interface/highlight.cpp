#include "interface/highlight.h"

CWindow* CHighlight::window_ = nullptr;
int CHighlight::index_ = -1;

void CHighlight::set(CWindow* window, int index) {
    window_ = window;
    index_ = index;
}

void CHighlight::clear() {
    set(nullptr, -1);
}

int CHighlight::index() {
    return index_;
}

CWindow* CHighlight::window() {
    return window_;
}
