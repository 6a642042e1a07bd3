#include "platform/turn_driver.h"

void drive_turns(bool (*turn)(), void (*done)()) {
    while (turn()) {
    }
    done();
}
