#pragma once

class CWindow;

// What the player configures, stored in the file "conf" in the working directory.
class COptions {
  public:
    int blue_cw;
    int blue_ccw;
    int blue_primary;
    int blue_secondary;
    int red_cw;
    int red_ccw;
    int red_primary;
    int red_secondary;
    bool fullscreen;
    int width;
    int height;

    void restore();
    // 0 when "conf" opened, -1 when it did not.
    int read();
    void write();
    void from_menu(CWindow* menu);
    void to_menu(CWindow* menu);
};

namespace global {
extern COptions options;
}
