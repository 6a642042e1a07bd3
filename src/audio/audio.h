#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wav.h"

// How one voice sounds. Voices of a layer can be stopped together (the world's sounds when a match
// pauses, while the menus' go on).
struct voice_settings {
    float gain = 1;   // 0 to 1, before the master volume
    float pan = 0;    // -1 left to 1 right
    float pitch = 1;  // playback speed
    bool loop = false;
    int layer = 0;
};

// The sound output: one device, a fixed pool of voices sharing loaded sounds, a master volume.
// Nothing here knows what the sounds mean. Every call is harmless while no device is open.
class CAudio {
  public:
    static constexpr int VOICES = 24;

    CAudio() = default;
    ~CAudio() { close(); }
    CAudio(const CAudio&) = delete;
    CAudio& operator=(const CAudio&) = delete;

    // The system's default output. The audio library's own chatter while probing devices is kept off
    // standard error; on failure `error` says what went wrong.
    bool open(std::string& error);
    // A device that mixes into memory when asked (render), at `rate` frames per second in 16-bit stereo.
    bool open_loopback(int rate, std::string& error);
    // Mixes the next `frames` stereo frames of a loopback device into `out` (2 * frames samples).
    void render(int16_t* out, int frames);
    bool is_open() const { return device_ != nullptr; }
    void close();

    // Makes a sound playable; its number for play, or -1.
    int add_sound(const pcm_sound& pcm);
    // Starts a sound on a free voice. When every voice is busy the quietest, then oldest, non-looping
    // voice is taken over, unless all of them are louder than the new sound, which is then dropped.
    // Returns a handle for the voice (never reused), or -1.
    long play(int sound, const voice_settings& settings);
    // Changes a playing voice (a loop that follows something, say).
    void change(long voice, float gain, float pitch, float pan);
    void stop(long voice);
    void stop_layer(int layer);
    bool playing(long voice);
    // Master volume, 0 to 1, applied to every voice.
    void set_volume(float volume);

  private:
    struct voice {
        unsigned source = 0;
        long handle = -1;
        float gain = 0;
        bool loop = false;
        int layer = 0;
    };
    bool start(std::string& error);
    voice* find(long handle);
    voice* free_or_quietest(float gain);
    static void place(unsigned source, float gain, float pitch, float pan);

    void* device_ = nullptr;
    void* context_ = nullptr;
    bool loopback_ = false;
    std::vector<unsigned> buffers_;
    std::vector<voice> voices_;
    long next_handle_ = 0;
    float volume_ = 1;  // the listener's gain; a new context starts at 1
};
