#include "graphics/pixel_projection.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

CPixelProjection::CPixelProjection() {
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + row] * modelview[column * 4 + k];
            to_clip[column * 4 + row] = sum;
        }
    glGetIntegerv(GL_VIEWPORT, viewport);
}

bool CPixelProjection::rect_of(float left, float bottom, float right, float top, pixel_rect& out) const {
    float low_x = 0, low_y = 0, high_x = 0, high_y = 0;
    const float corners[4][2] = {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
    for (int i = 0; i < 4; ++i) {
        const float x = corners[i][0], y = corners[i][1];
        const float* m = to_clip;
        const float w = m[3] * x + m[7] * y + m[15];
        if (!(w > 1e-6f))
            return false;
        const float wx = viewport[0] + (1 + (m[0] * x + m[4] * y + m[12]) / w) * 0.5f * viewport[2];
        const float wy = viewport[1] + (1 + (m[1] * x + m[5] * y + m[13]) / w) * 0.5f * viewport[3];
        if (!std::isfinite(wx) || !std::isfinite(wy))
            return false;
        low_x = i == 0 ? wx : std::min(low_x, wx);
        high_x = i == 0 ? wx : std::max(high_x, wx);
        low_y = i == 0 ? wy : std::min(low_y, wy);
        high_y = i == 0 ? wy : std::max(high_y, wy);
    }
    // Far outside the window a box is clamped, so the numbers stay well inside an int.
    const auto clamp = [](float v) { return std::max(-1e6f, std::min(1e6f, v)); };
    out.x = static_cast<int>(std::floor(clamp(low_x))) - 1;
    out.y = static_cast<int>(std::floor(clamp(low_y))) - 1;
    out.width = static_cast<int>(std::ceil(clamp(high_x))) + 1 - out.x;
    out.height = static_cast<int>(std::ceil(clamp(high_y))) + 1 - out.y;
    return true;
}
