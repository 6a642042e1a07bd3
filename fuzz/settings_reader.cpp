// Feeds arbitrary bytes to the settings reader as the file "settings". Whatever it reads must survive a
// save of one changed value: every other line stays as it was, and the values read back are the same.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "game/config/settings.h"
#include "scratch_folder.h"

namespace {

std::string file_text() {
    std::ifstream in("settings", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool same(const CSettings& a, const CSettings& b) {
    return a.sound == b.sound && a.volume == b.volume && a.network_port == b.network_port &&
           a.input_delay == b.input_delay && a.last_join == b.last_join &&
           a.pad_dead_zone == b.pad_dead_zone && a.pads_swapped == b.pads_swapped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    write_input("settings", data, size);
    const std::string before(reinterpret_cast<const char*>(data), size);

    CSettings first;
    first.read();
    first.volume = first.volume == 10 ? 0 : first.volume + 1;
    first.write();
    CSettings second;
    second.read();
    if (!same(first, second))
        std::abort();

    // The saved file is the old one with at most the volume line changed or one line added.
    const std::string after = file_text();
    std::istringstream old_lines(before), new_lines(after);
    std::string a, b;
    int differing = 0;
    while (std::getline(new_lines, b)) {
        if (!std::getline(old_lines, a) || a != b)
            ++differing;
    }
    if (differing > 1 || std::getline(old_lines, a))
        std::abort();
    return 0;
}
