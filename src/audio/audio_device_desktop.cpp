#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "audio/audio.h"

namespace {

ALCdevice* as_device(void* d) {
    return static_cast<ALCdevice*>(d);
}

// Sends standard error to /dev/null while it lives: device probing in the audio library and the
// system's sound libraries below it prints several lines of its own when no device is there.
class quiet_stderr {
  public:
    quiet_stderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~quiet_stderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    quiet_stderr(const quiet_stderr&) = delete;
    quiet_stderr& operator=(const quiet_stderr&) = delete;

  private:
    int saved_ = -1;
};

}  // namespace

bool CAudio::open(std::string& error) {
    close();
    quiet_stderr quiet;
    device_ = alcOpenDevice(nullptr);
    if (device_ == nullptr) {
        error = "no audio device could be opened";
        return false;
    }
    context_ = alcCreateContext(as_device(device_), nullptr);
    return start(error);
}

bool CAudio::open_loopback(int rate, std::string& error) {
    close();
    auto open_device = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    if (open_device == nullptr) {
        error = "the audio library cannot render into memory";
        return false;
    }
    device_ = open_device(nullptr);
    if (device_ == nullptr) {
        error = "no loopback device";
        return false;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_SHORT_SOFT,
                                 ALC_FREQUENCY,
                                 rate,
                                 0};
    context_ = alcCreateContext(as_device(device_), attributes);
    loopback_ = true;
    return start(error);
}

void CAudio::render(int16_t* out, int frames) {
    if (!loopback_ || device_ == nullptr)
        return;
    auto render_samples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(as_device(device_), "alcRenderSamplesSOFT"));
    if (render_samples != nullptr)
        render_samples(as_device(device_), out, frames);
}
