#pragma once

#include <cstdint>
#include <vector>

// The bytes of a canonical 16-bit PCM RIFF WAVE file (44-byte header, then the interleaved samples).
std::vector<uint8_t> encode_wav(const std::vector<int16_t>& samples, int rate, int channels);
