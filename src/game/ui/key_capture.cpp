#include "game/ui/key_capture.h"

#include "game/sim/events.h"
#include "interface/key_names.h"
#include "interface/window.h"
#include "platform/glfw2.h"

void begin_key_capture(CButton* button) {
    end_key_capture();
    CActive::write(button);
    button->active = true;
}

bool capture_key(int key) {
    CButton* waiting = CActive::read();
    if (waiting == nullptr)
        return false;
    if (key == glfw2::KEY_ESC) {
        end_key_capture();
        return true;
    }
    waiting->title = key2string(key);
    end_key_capture();
    record_event(EVENT_KEY_CAPTURED);
    return false;
}

void end_key_capture() {
    if (CActive::read() != nullptr)
        CActive::read()->active = false;
    CActive::write(nullptr);
}

const CButton* waiting_key_button() {
    return CActive::read();
}
