#include "floor_frame.h"

#include <GL/gl.h>

#include <vector>

#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/framebuffer_copy.h"
#include "platform/glfw2.h"

floor_frame::floor_frame() : W(CDisplay::width()), H(CDisplay::height()) {
    std::vector<unsigned char> picture(static_cast<size_t>(W) * H * 4);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<unsigned char>(i * 7 / 3);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, W, H, 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    bind_no_texture();
}

floor_frame::~floor_frame() {
    glDeleteTextures(1, &texture);
}

void floor_frame::put_back(const pixel_rect& r) const {
    put_texels(texture, W, H, r.x, r.y, r.width, r.height);
}

void floor_frame::put_picture() const {
    glClear(GL_COLOR_BUFFER_BIT);
    put_texels(texture, W, H, 0, 0, W, H);
}

void floor_frame::finish() const {
    glFlush();
    glfw2::swap_buffers();
}
