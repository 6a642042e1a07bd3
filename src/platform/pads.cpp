#include "platform/pads.h"

#include "platform/pads_target.h"

namespace glfw2 {

namespace {
pad_reader replacement = nullptr;
}

bool read_pad(int id, pad_state& state) {
    if (replacement)
        return replacement(id, state);
    return id >= 0 && id < MAX_PADS && target::read_pad(id, state);
}

void use_pad_reader(pad_reader reader) {
    replacement = reader;
}

}  // namespace glfw2
