#include "graphics/splash.h"

#include <GL/gl.h>

#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/graphical.h"
#include "graphics/interface_frame.h"
#include "platform/glfw2.h"

namespace {

enum splash_phase { FADE_IN, HOLD, FADE_OUT };

// Alpha of the black veil drawn over the picture. A phase of length 0 (or a nonsensical negative or
// NaN length) is already over: the fade in shows the picture unveiled, the fade out leaves it black.
float veil_alpha(int phase, double seconds, float length) {
    float alpha = 0;
    if (phase == FADE_IN) {
        alpha = length > 0 ? static_cast<float>(1.0 - seconds * 100.0 / length) : 0.0f;
    } else if (phase == FADE_OUT) {
        alpha = length > 0 ? static_cast<float>(seconds * 100.0 / length) : 1.0f;
    }
    if (alpha < 0)
        alpha = 0;
    if (alpha > 1)
        alpha = 1;
    return alpha;
}

}  // namespace

CSplash::CSplash(const splash_arguments& args) : args_(args), phase_(FADE_IN) {
    static float no_background[4] = {0, 0, 0, 1};
    background_ = args.col2 != nullptr ? args.col2 : no_background;

    apply_blend(ALPHA);
    glEnable(GL_BLEND);
    CInterfaceFrame::project();
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, CDisplay::width(), CDisplay::height());
    start_phase();
}

void CSplash::start_phase() {
    glfw2::set_time(0);
    seconds_ = 0;
    const float lengths[3] = {args_.in, args_.duration, args_.out};
    // NaN or negative lengths count as 0 so that every phase still shows its one frame.
    length_ = lengths[phase_] > 0 ? lengths[phase_] : 0.0f;
}

CSplash::progress CSplash::turn() {
    static float untinted[4] = {1, 1, 1, 1};
    static float veil[4] = {0, 0, 0, 0};
    // A phase ends with the first frame that reads a time past its length, so every phase draws at least
    // once.
    while (!(seconds_ <= length_ / 100.0)) {
        if (phase_ == FADE_OUT)
            return OVER;
        ++phase_;
        start_phase();
    }
    // The picture is centred in the interface's frame, and scaled with it.
    const int W = CInterfaceFrame::width();
    const int H = CInterfaceFrame::height();
    glClear(GL_COLOR_BUFFER_BIT);
    cover_window(background_);
    draw_tex(W / 2 - args_.w / 2, H / 2 - args_.h / 2, args_.w, args_.h, untinted, args_.tex);
    seconds_ = glfw2::get_time();
    if (phase_ != HOLD) {
        veil[3] = veil_alpha(phase_, seconds_, length_);
        cover_window(veil);
    }
    glFlush();
    glfw2::swap_buffers();
    if (glfw2::get_key(glfw2::KEY_ESC) == glfw2::PRESS)
        return OVER;
    if (glfw2::get_window_param(glfw2::OPENED) != 1)
        return CLOSED;
    return SHOWING;
}

int draw_splash(void* arguments) {
    if (arguments == nullptr)
        return -1;
    CSplash splash(*static_cast<const splash_arguments*>(arguments));
    for (;;) {
        const CSplash::progress progress = splash.turn();
        if (progress != CSplash::SHOWING)
            return progress == CSplash::OVER ? 0 : -1;
    }
}
