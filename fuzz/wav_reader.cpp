// Feeds arbitrary bytes to the WAV decoder. A sound it accepts must be whole and within bounds; one it
// refuses must leave the output untouched and say why.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "audio/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pcm_sound out;
    out.rate = -7;  // a sentinel: a refusal must not touch it
    std::string error;
    if (!decode_wav(data, size, out, error)) {
        if (out.rate != -7 || out.channels != 0 || !out.samples.empty() || error.empty())
            abort();
        return 0;
    }
    if (out.rate < WAV_MIN_RATE || out.rate > WAV_MAX_RATE || (out.channels != 1 && out.channels != 2))
        abort();
    if (out.samples.empty() || out.samples.size() % out.channels != 0 || out.samples.size() * 2 > size)
        abort();
    // Touch every sample so that uninitialised or freed memory shows up under the sanitizers.
    int sum = 0;
    for (int16_t s : out.samples)
        sum += s;
    volatile int sink = sum;
    (void)sink;
    return 0;
}
