#include "graphics/zoom.h"

#include <GL/gl.h>

#include <climits>

#include "platform/glfw2.h"

namespace {

// The wheel position for a limit, truncated toward zero; limits beyond the int range (only a caller
// passing absurd or inverted limits gets there) saturate instead of overflowing the conversion.
int notch(float limit) {
    if (!(limit > static_cast<float>(INT_MIN)))
        return INT_MIN;
    if (!(limit < static_cast<float>(INT_MAX)))
        return INT_MAX;
    return static_cast<int>(limit);
}

}  // namespace

void translate_zoom(float multi, float up, float down) {
    glMatrixMode(GL_MODELVIEW);
    float zoom = static_cast<float>(glfw2::get_mouse_wheel());
    // Writing the clamped value back makes the limits hard: notches past a limit are forgotten.
    if (zoom > up) {
        zoom = up;
        glfw2::set_mouse_wheel(notch(up));
    }
    if (zoom < down) {
        zoom = down;
        glfw2::set_mouse_wheel(notch(down));
    }
    glTranslatef(0, 0, zoom * multi);
}
