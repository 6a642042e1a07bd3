#include "general/texture_names.h"

#include <cstdio>

std::map<std::string, unsigned int> textures;

int texture_id(const std::string& name) {
    auto found = textures.find(name);
    if (found == textures.end()) {
        std::printf("dupa\n");
        return static_cast<int>(NO_TEXTURE);
    }
    return static_cast<int>(found->second);
}
