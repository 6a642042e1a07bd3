#include "platform/turn_driver.h"

#include <chrono>
#include <thread>

void drive_turns(bool (*turn)(), void (*done)()) {
    while (turn()) {
    }
    done();
}

void rest(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
