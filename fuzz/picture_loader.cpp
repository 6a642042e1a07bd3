// Feeds arbitrary bytes to the TGA decoder. A picture it accepts must be whole and within bounds;
// one it refuses must leave the output untouched.
#include <cstdint>
#include <cstdlib>

#include "platform/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    picture out;
    out.width = -7;  // a sentinel: a refusal must not touch it
    if (!decode_tga(data, size, out)) {
        if (out.width != -7 || out.height != 0 || out.channels != 0 || !out.pixels.empty())
            abort();
        return 0;
    }
    if (out.width < 1 || out.height < 1 || out.width > PICTURE_MAX_SIDE || out.height > PICTURE_MAX_SIDE)
        abort();
    if (out.channels != 1 && out.channels != 3 && out.channels != 4)
        abort();
    size_t expected = static_cast<size_t>(out.width) * out.height * out.channels;
    if (out.pixels.size() != expected)
        abort();
    // Touch every byte so that uninitialised or freed memory shows up under the sanitizers.
    unsigned sum = 0;
    for (unsigned char p : out.pixels)
        sum += p;
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
