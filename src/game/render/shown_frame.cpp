#include "game/render/shown_frame.h"

#include <string>

#include "game/config/frame_rate.h"
#include "game/config/settings.h"
#include "game/render/hud_images.h"
#include "game/render/still_screen.h"
#include "game/ui/network_screen.h"
#include "platform/glfw2.h"

namespace {

// What the last frame drawn was made of, beyond the still picture's copy.
struct shown {
    bool still = false;  // the frame was the still picture, as its copy holds it
    int fps = 0;
    std::string note;
    unsigned long content_requests = 0;
};
shown last;

}  // namespace

void shown_frame::drawn() {
    // Unlimited, every frame is drawn anyway: nothing is looked at, and nothing stale is kept for a cap.
    if (global::settings.frame_rate == frame_rate::UNLIMITED) {
        last.still = false;
        return;
    }
    last.still = still_screen().kept();
    last.fps = global::fps;
    last.note = network_screen::note();
    last.content_requests = glfw2::content_requests();
}

bool shown_frame::unchanged() {
    return last.still && last.fps == global::fps && last.content_requests == glfw2::content_requests() &&
           still_screen().kept() && last.note == network_screen::note();
}
