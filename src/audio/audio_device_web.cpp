#include <AL/al.h>
#include <AL/alc.h>

#include "audio/audio.h"

// The browser's audio. Its output starts suspended until the page's first click or key, which the
// audio library listens for itself; voices played before then are simply not heard.
bool CAudio::open(std::string& error) {
    close();
    device_ = alcOpenDevice(nullptr);
    if (device_ == nullptr) {
        error = "the browser gives this page no audio output";
        return false;
    }
    context_ = alcCreateContext(static_cast<ALCdevice*>(device_), nullptr);
    return start(error);
}

bool CAudio::open_loopback(int, std::string& error) {
    error = "the browser's audio cannot render into memory";
    return false;
}

void CAudio::render(int16_t*, int) {}
