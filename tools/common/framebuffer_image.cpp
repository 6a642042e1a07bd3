#include "framebuffer_image.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

rgba_image read_framebuffer_image(int width, int height) {
    std::vector<unsigned char> rows(static_cast<size_t>(width) * height * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    rgba_image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // GL rows start at the bottom, the picture's at the top.
            const unsigned char* src = &rows[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
            uint8_t* dst = image.at(x, y);
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 255;
        }
    return image;
}
