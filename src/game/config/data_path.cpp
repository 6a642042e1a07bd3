#include "game/config/data_path.h"

#include "game/config/data_folder.h"

std::string data_path(const std::string& relative) {
    if (DATA_FOLDER[0] == '\0')
        return relative;
    return std::string(DATA_FOLDER) + "/" + relative;
}
