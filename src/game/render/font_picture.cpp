#include "game/render/font_picture.h"

#include <GL/gl.h>

#include "game/config/data_path.h"
#include "graphics/draw.h"
#include "graphics/textures.h"

namespace {

// From this scale the large picture's 64-pixel cells are drawn closer to their size than the game's
// 32-pixel ones: text of the usual 20 to 30 units is then 28 to 42 pixels high.
constexpr float LARGE_FROM = 1.4f;

bool large_chosen = false;

}  // namespace

void fit_font_picture(float interface_scale) {
    const bool large = interface_scale >= LARGE_FROM;
    const auto font = textures.find("font");
    if (large == large_chosen || font == textures.end())
        return;
    // Tried once per change: a picture that cannot be read is said once, and the one loaded stays.
    large_chosen = large;
    load_texture(data_path(large ? "gfx/font_large.tga" : "gfx/font.tga"), font->second);
    if (large) {
        // Smaller text is drawn from the large picture's smaller copies rather than by skipping texels.
        glBindTexture(GL_TEXTURE_2D, font->second);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
    bind_no_texture();
}
