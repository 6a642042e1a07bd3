// The recording verifier alone, for a target that has no window (the browser build's, which Node runs):
// `zelvorant-verify FILE` prints and returns what `zelvorant --verify-replay FILE` does.
#include <cstdio>

#include "game/replay/replay_verify.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: zelvorant-verify FILE\n", stderr);
        return 2;
    }
    return verify_replay(argv[1]);
}
