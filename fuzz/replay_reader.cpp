// Feeds arbitrary bytes to the recording reader. A checksum a fuzzer cannot guess would stop it at the
// door, so each input is tried twice: as it is, and with its checksum made right, which lets the body's
// parser see every kind of damage. Whatever reads as a recording must encode back to the same bytes,
// and a short one must play to its end on the board.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"
#include "game/sim/global.h"
#include "general/hash64.h"

namespace {

void check(const std::string& bytes) {
    match_recording r;
    if (decode_recording(bytes, r) != RECORDING_OK)
        return;
    if (encode_recording(r) != bytes)
        std::abort();
    // Long recordings are left out only to keep the fuzzer quick; their reading is the same.
    if (r.steps <= 500) {
        play_to_end(r);
        // Hands the particles back, so that none are left when the program ends.
        restart();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool board = (build_board_without_window(), true);
    (void)board;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    check(bytes);
    if (bytes.size() >= 8) {
        CHash64 h;
        h.bytes(bytes.data(), bytes.size() - 8);
        const std::uint64_t sum = h.result();
        for (int i = 0; i < 8; ++i)
            bytes[bytes.size() - 8 + i] = static_cast<char>(sum >> (8 * i));
        check(bytes);
    }
    return 0;
}
