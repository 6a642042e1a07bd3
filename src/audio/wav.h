#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Uncompressed 16-bit sound, channels interleaved.
struct pcm_sound {
    int rate = 0;      // frames per second
    int channels = 0;  // 1 or 2
    std::vector<int16_t> samples;
};

// Bounds of what the game accepts: telephone quality up to studio rates, at most a minute long.
constexpr int WAV_MIN_RATE = 8000;
constexpr int WAV_MAX_RATE = 192000;
constexpr size_t WAV_MAX_BYTES = 16u << 20;

// Decodes a RIFF WAVE file holding 16-bit PCM, mono or stereo. Chunks other than "fmt " and "data" are
// skipped. False, with `out` untouched and `error` saying why, for anything else, truncated or empty.
bool decode_wav(const uint8_t* data, size_t size, pcm_sound& out, std::string& error);
// Reads the whole file (at most WAV_MAX_BYTES) and decodes it.
bool read_wav_file(const std::string& path, pcm_sound& out, std::string& error);
