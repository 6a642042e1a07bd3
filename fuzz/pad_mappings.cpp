// Feeds arbitrary bytes to the pad mapping reader as "gamecontrollerdb.txt". Every mapping it keeps
// passes the line check, and no more are kept than the file has lines.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/input/pad_mappings.h"
#include "platform/pads.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    write_input("gamecontrollerdb.txt", data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int added = load_pad_mappings("gamecontrollerdb.txt");
    const long lines = std::count(text.begin(), text.end(), '\n') + 1;
    if (added < 0 || added > lines)
        std::abort();
    // The first line, if kept, is kept as the check lets it through.
    const std::string first = text.substr(0, text.find_first_of("\r\n"));
    const std::string* kept = glfw2::kept_pad_mapping(first.substr(0, first.find(',')));
    if (kept != nullptr && !mapping_fault(*kept).empty())
        std::abort();
    return 0;
}
