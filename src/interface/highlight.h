#pragma once

class CWindow;

// The button a gamepad has moved to. While it is set on a window, that window's check() reports it
// in place of the button under the mouse pointer, so it is drawn and pressed as the hovered one is.
class CHighlight {
  public:
    static void set(CWindow* window, int index);
    static void clear();
    // The highlighted window (null when off) and the index of its highlighted button.
    static CWindow* window();
    static int index();

  private:
    static CWindow* window_;
    static int index_;
};
