#include "game/data_path.h"

// The installed program is linked with this file compiled again with ZELVORANT_DATA_DIR defined; that
// object then stands in for the library's copy (see dist/CMakeLists.txt).
std::string data_path(const std::string& relative) {
#ifdef ZELVORANT_DATA_DIR
    return std::string(ZELVORANT_DATA_DIR) + "/" + relative;
#else
    return relative;
#endif
}
