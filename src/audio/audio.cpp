#include "audio/audio.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

ALCdevice* as_device(void* d) {
    return static_cast<ALCdevice*>(d);
}

}  // namespace

// Makes the new context current and sets up the pool; the device is closed again on failure.
bool CAudio::start(std::string& error) {
    if (context_ == nullptr || alcMakeContextCurrent(static_cast<ALCcontext*>(context_)) != ALC_TRUE) {
        error = "the audio device refused a context";
        close();
        return false;
    }
    // Sounds are placed by panning alone: no fading with distance.
    alDistanceModel(AL_NONE);
    volume_ = 1;
    voices_.clear();
    for (int i = 0; i < VOICES; ++i) {
        voice v;
        alGenSources(1, &v.source);
        if (alGetError() != AL_NO_ERROR)
            break;
        alSourcei(v.source, AL_SOURCE_RELATIVE, AL_TRUE);
        voices_.push_back(v);
    }
    if (voices_.empty()) {
        error = "the audio device has no voices";
        close();
        return false;
    }
    return true;
}

void CAudio::close() {
    if (device_ == nullptr)
        return;
    for (voice& v : voices_) {
        alSourceStop(v.source);
        alDeleteSources(1, &v.source);
    }
    voices_.clear();
    if (!buffers_.empty())
        alDeleteBuffers(static_cast<ALsizei>(buffers_.size()), buffers_.data());
    buffers_.clear();
    alcMakeContextCurrent(nullptr);
    if (context_ != nullptr)
        alcDestroyContext(static_cast<ALCcontext*>(context_));
    alcCloseDevice(as_device(device_));
    context_ = nullptr;
    device_ = nullptr;
    loopback_ = false;
}

int CAudio::add_sound(const pcm_sound& pcm) {
    if (device_ == nullptr || pcm.samples.empty() || (pcm.channels != 1 && pcm.channels != 2))
        return -1;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR)
        return -1;
    alBufferData(buffer, pcm.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, pcm.samples.data(),
                 static_cast<ALsizei>(pcm.samples.size() * sizeof(int16_t)), pcm.rate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return -1;
    }
    buffers_.push_back(buffer);
    return static_cast<int>(buffers_.size()) - 1;
}

CAudio::voice* CAudio::find(long handle) {
    for (voice& v : voices_)
        if (v.handle == handle && handle >= 0)
            return &v;
    return nullptr;
}

CAudio::voice* CAudio::free_or_quietest(float gain) {
    voice* chosen = nullptr;
    for (voice& v : voices_) {
        ALint state = AL_STOPPED;
        alGetSourcei(v.source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING && state != AL_PAUSED)
            return &v;
        if (v.loop)
            continue;
        if (chosen == nullptr || v.gain < chosen->gain ||
            (v.gain == chosen->gain && v.handle < chosen->handle))
            chosen = &v;
    }
    return chosen != nullptr && chosen->gain <= gain ? chosen : nullptr;
}

long CAudio::play(int sound, const voice_settings& settings) {
    if (device_ == nullptr || sound < 0 || sound >= static_cast<int>(buffers_.size()))
        return -1;
    voice* v = free_or_quietest(settings.gain);
    if (v == nullptr)
        return -1;
    alSourceStop(v->source);
    alSourcei(v->source, AL_BUFFER, static_cast<ALint>(buffers_[sound]));
    place(v->source, settings.gain, settings.pitch, settings.pan);
    alSourcei(v->source, AL_LOOPING, settings.loop ? AL_TRUE : AL_FALSE);
    alSourcePlay(v->source);
    v->handle = next_handle_++;
    v->gain = settings.gain;
    v->loop = settings.loop;
    v->layer = settings.layer;
    return v->handle;
}

void CAudio::change(long handle, float gain, float pitch, float pan) {
    if (voice* v = find(handle)) {
        place(v->source, gain, pitch, pan);
        v->gain = gain;
    }
}

void CAudio::place(unsigned source, float gain, float pitch, float pan) {
    // On a unit circle in front of the listener: -1 is hard left, 0 ahead, 1 hard right.
    const float p = std::clamp(pan, -1.0f, 1.0f);
    alSource3f(source, AL_POSITION, p, 0, -std::sqrt(1 - p * p));
    alSourcef(source, AL_GAIN, gain);
    alSourcef(source, AL_PITCH, pitch);
}

void CAudio::stop(long handle) {
    if (voice* v = find(handle)) {
        alSourceStop(v->source);
        v->handle = -1;
    }
}

void CAudio::stop_layer(int layer) {
    for (voice& v : voices_)
        if (v.layer == layer && v.handle >= 0) {
            alSourceStop(v.source);
            v.handle = -1;
        }
}

bool CAudio::playing(long handle) {
    voice* v = find(handle);
    if (v == nullptr)
        return false;
    ALint state = AL_STOPPED;
    alGetSourcei(v->source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void CAudio::set_volume(float volume) {
    // Called every turn: the listener is told only of a change.
    const float gain = std::clamp(volume, 0.0f, 1.0f);
    if (device_ == nullptr || gain == volume_)
        return;
    alListenerf(AL_GAIN, gain);
    volume_ = gain;
}
