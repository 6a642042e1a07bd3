#include <emscripten/emscripten.h>

#include "platform/turn_driver.h"

namespace {

bool (*turn_now)() = nullptr;
void (*when_done)() = nullptr;

void animation_frame() {
    if (turn_now())
        return;
    emscripten_cancel_main_loop();
    when_done();
    // The page learns that the program has ended and says so.
    emscripten_run_script("if (Module['onGameEnded']) Module['onGameEnded']();");
}

}  // namespace

void drive_turns(bool (*turn)(), void (*done)()) {
    turn_now = turn;
    when_done = done;
    // 0 frames a second: at the browser's animation frames. No waiting here: main returns at once.
    emscripten_set_main_loop(animation_frame, 0, 0);
}

void rest(double) {}
