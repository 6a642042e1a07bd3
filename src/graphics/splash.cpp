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

int draw_splash(void* arguments) {
    if (arguments == nullptr)
        return -1;
    const splash_arguments& args = *static_cast<const splash_arguments*>(arguments);

    static float untinted[4] = {1, 1, 1, 1};
    static float veil[4] = {0, 0, 0, 0};
    static float no_background[4] = {0, 0, 0, 1};
    float* background = args.col2 != nullptr ? args.col2 : no_background;

    // The picture is centred in the interface's frame, and scaled with it.
    const int W = CInterfaceFrame::width();
    const int H = CInterfaceFrame::height();

    apply_blend(ALPHA);
    glEnable(GL_BLEND);
    CInterfaceFrame::project();
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, CDisplay::width(), CDisplay::height());

    const float lengths[3] = {args.in, args.duration, args.out};
    for (int phase = FADE_IN; phase <= FADE_OUT; ++phase) {
        glfw2::set_time(0);
        double seconds = 0;
        // NaN or negative lengths count as 0 so that every phase still shows its one frame.
        const float length = lengths[phase] > 0 ? lengths[phase] : 0.0f;
        // The test uses the time read in the previous frame, so every phase draws at least once.
        while (seconds <= length / 100.0) {
            glClear(GL_COLOR_BUFFER_BIT);
            cover_window(background);
            draw_tex(W / 2 - args.w / 2, H / 2 - args.h / 2, args.w, args.h, untinted, args.tex);
            seconds = glfw2::get_time();
            if (phase != HOLD) {
                veil[3] = veil_alpha(phase, seconds, length);
                cover_window(veil);
            }
            glFlush();
            glfw2::swap_buffers();
            if (glfw2::get_key(glfw2::KEY_ESC) == glfw2::PRESS)
                return 0;
            if (glfw2::get_window_param(glfw2::OPENED) != 1)
                return -1;
        }
    }
    return 0;
}
