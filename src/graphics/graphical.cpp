#include "graphics/graphical.h"

#include <GL/gl.h>

void apply_blend(int blend) {
    if (blend == ALPHA)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else if (blend == ADD)
        glBlendFunc(GL_ONE, GL_ONE);
}
