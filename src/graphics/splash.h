#pragma once

struct splash_arguments {
    int tex;
    float w;
    float h;
    float* col1;
    float* col2;
    float in;
    float duration;
    float out;
};

// The splash one frame a turn, for a main loop that must not wait inside a turn: fades the picture in,
// holds it and fades it out.
class CSplash {
  public:
    enum progress { SHOWING, OVER, CLOSED };

    // Sets up the window's projection and starts the fade in; the arguments must outlive the splash.
    explicit CSplash(const splash_arguments& args);
    // Draws and swaps the next frame: SHOWING while there are more, OVER once done or skipped with
    // Escape, CLOSED when the window was closed.
    progress turn();

  private:
    void start_phase();

    const splash_arguments& args_;
    float* background_;
    int phase_;
    double seconds_ = 0;
    float length_ = 0;
};

// The whole splash at once: 0 when done or skipped, -1 when the window closed.
int draw_splash(void* arguments);
