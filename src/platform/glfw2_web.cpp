#include <GLFW/glfw3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>

#include "platform/glfw2.h"
#include "platform/glfw2_target.h"

namespace glfw2 {

bool window_size_offered() {
    return false;
}

bool rendering_to_window() {
    return true;
}

}  // namespace glfw2

namespace glfw2::target {

namespace {

// The browser gives a page no frames while it is out of sight, and a busy machine may hold one back:
// the clock moves on by at most this much between two readings, so that the game resumes where it
// stood instead of running the time missed in one burst.
constexpr double LONGEST_GAP = 0.25;

// One notch of a wheel as browsers report it, by the event's unit: pixels, lines, pages.
constexpr double PIXELS_A_NOTCH = 100;
constexpr double LINES_A_NOTCH = 3;

void (*wheel_turned)(double) = nullptr;

EM_BOOL on_wheel(int, const EmscriptenWheelEvent* event, void*) {
    if (wheel_turned == nullptr)
        return EM_FALSE;
    const double per_notch = event->deltaMode == DOM_DELTA_PIXEL  ? PIXELS_A_NOTCH
                             : event->deltaMode == DOM_DELTA_LINE ? LINES_A_NOTCH
                                                                  : 1;
    // The browser counts a wheel turned towards the player as positive.
    wheel_turned(-event->deltaY / per_notch);
    return EM_TRUE;
}

}  // namespace

double clock() {
    static double last_reading = emscripten_get_now() / 1000;
    static double missed = 0;
    const double reading = emscripten_get_now() / 1000;
    if (reading - last_reading > LONGEST_GAP)
        missed += reading - last_reading - LONGEST_GAP;
    last_reading = reading;
    return reading - missed;
}

void watch_wheel(GLFWwindow*, void (*turned)(double)) {
    wheel_turned = turned;
    emscripten_set_wheel_callback("#canvas", nullptr, EM_TRUE, on_wheel);
}

// The browser stops the frames of a page out of sight: a frame that runs is seen.
bool hidden(GLFWwindow*) {
    return false;
}

// Frames come at the browser's animation frames whatever is asked: GLFW here would move the main loop
// to a timer instead.
void swap_interval(int) {}

bool size_wanted(int& width, int& height) {
    double shown_width = 0, shown_height = 0;
    if (emscripten_get_element_css_size("#canvas", &shown_width, &shown_height) !=
            EMSCRIPTEN_RESULT_SUCCESS ||
        shown_width < 1 || shown_height < 1)
        return false;
    const double ratio = emscripten_get_device_pixel_ratio();
    width = std::min(MAX_WINDOW_SIDE, std::max(1, static_cast<int>(std::lround(shown_width * ratio))));
    height = std::min(MAX_WINDOW_SIDE, std::max(1, static_cast<int>(std::lround(shown_height * ratio))));
    return true;
}

// The drawing buffer only: GLFW's own resizing would leave a page's fullscreen or enter one of its own.
void resize(GLFWwindow*, int width, int height) {
    emscripten_set_canvas_element_size("#canvas", width, height);
}

}  // namespace glfw2::target
