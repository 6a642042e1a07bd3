// Feeds arbitrary readings to the two pad layouts: the raw one of joysticks GLFW cannot map and the
// standard one a browser gives (counts, pressed flags, values and axes all from the input). Whatever
// comes, the reading stays within its arrays and the pad model's axes within -1 to 1 for the standard one.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/pads.h"

namespace {

constexpr int MOST = 64;

// The next `n` bytes as floats, or zeros once the input runs out.
void take_floats(const std::uint8_t*& data, std::size_t& size, float* out, int n) {
    for (int i = 0; i < n; ++i) {
        out[i] = 0;
        if (size >= sizeof(float)) {
            std::memcpy(&out[i], data, sizeof(float));
            data += sizeof(float);
            size -= sizeof(float);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const int buttons = data[0] % (MOST + 1), axes = data[1] % (MOST + 1), hats = data[2] % 2;
    data += 3;
    size -= 3;
    unsigned char pressed[MOST] = {};
    for (int b = 0; b < buttons && size > 0; ++b, ++data, --size)
        pressed[b] = *data;
    float values[MOST], positions[MOST];
    take_floats(data, size, values, buttons);
    take_floats(data, size, positions, axes);
    const unsigned char hat = size > 0 ? *data : 0;

    glfw2::pad_state standard;
    glfw2::read_standard_layout(pressed, values, buttons, positions, axes, standard);
    for (float a : standard.axes)
        if (!(a >= -1 && a <= 1))
            std::abort();
    glfw2::pad_state raw;
    glfw2::read_raw_layout(pressed, buttons, positions, axes, &hat, hats, raw);
    return 0;
}
