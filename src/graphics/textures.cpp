#include "graphics/textures.h"

#include <GL/gl.h>

#include <cstdio>

#include "graphics/draw.h"
#include "platform/glfw2.h"

unsigned int tex2[TEXTURE_SLOTS];
int last_tex = 0;
int texture_loads = 0;

namespace {

void load_into_bound(const std::string& path) {
    ++texture_loads;
    if (!glfw2::load_texture_2d(path.c_str(), glfw2::BUILD_MIPMAPS_BIT | glfw2::ALPHA_MAP_BIT))
        std::printf("error\n");
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace

void load_texture(std::string path, std::string name) {
    // The table is full: the name still resolves, to a texture that draws as plain colour.
    if (last_tex >= TEXTURE_SLOTS) {
        std::printf("error\n");
        textures.insert({name, NO_TEXTURE});
        bind_no_texture();
        return;
    }
    textures.insert({name, tex2[last_tex]});
    glBindTexture(GL_TEXTURE_2D, tex2[last_tex]);
    ++last_tex;
    load_into_bound(path);
}

void load_texture(std::string path, unsigned int id) {
    // A picture loaded into the no-texture name would show behind every untextured drawing.
    if (id == NO_TEXTURE) {
        std::printf("error\n");
        bind_no_texture();
        return;
    }
    glBindTexture(GL_TEXTURE_2D, id);
    load_into_bound(path);
}

int set_texture(std::string name) {
    const int id = texture_id(name);
    bind_texture(id);
    return id;
}
