#include "graphics/zoom.h"

#include <GL/gl.h>

#include "platform/glfw2.h"

void translate_zoom(float multi, float up, float down) {
    glMatrixMode(GL_MODELVIEW);
    float zoom = static_cast<float>(glfw2::get_mouse_wheel());
    // Writing the clamped value back makes the limits hard: notches past a limit are forgotten.
    if (zoom > up) {
        zoom = up;
        glfw2::set_mouse_wheel(static_cast<int>(up));
    }
    if (zoom < down) {
        zoom = down;
        glfw2::set_mouse_wheel(static_cast<int>(down));
    }
    glTranslatef(0, 0, zoom * multi);
}
