#include "graphics/font.h"

#include <GL/gl.h>

#include <algorithm>

void write(float x, float y, std::string text, float width, float height, int align) {
    const float pos = x;
    const float text_length = static_cast<float>(text.size());

    float translation;
    switch (align) {
        case RIGHT:
            translation = width / 4 - text_length * width / 2;
            break;
        case CENTER:
            translation = -(text_length * width / 4) - width / 4;
            break;
        default:
            translation = -width / 4;
            break;
    }

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_QUADS);
    for (char ch : text) {
        // Cells are indexed by the signed byte, as the font sheet was laid out.
        const int c = static_cast<signed char>(ch);
        if (c == '\n') {
            x = pos;
            y -= height;
            continue;
        }
        const float u = static_cast<float>(c % 16) * 0.0625f;
        // The window starts 1/256 below the cell boundary so neighbouring rows never bleed in.
        const float v = static_cast<float>(1.0 - (c / 16 + 1.0625) * 0.0625);
        const float left = x + translation;
        glTexCoord2f(u, v);
        glVertex2f(left, y);
        glTexCoord2f(u + 0.0625f, v);
        glVertex2f(left + width, y);
        glTexCoord2f(u + 0.0625f, v + 0.0625f);
        glVertex2f(left + width, y + height);
        glTexCoord2f(u, v + 0.0625f);
        glVertex2f(left, y + height);
        x += width / 2;
    }
    glEnd();
}

void write(float x, float y, int number, float width, float height, int align) {
    const bool negative = number < 0;
    std::string digits;
    // Remainders are taken on the signed value so INT_MIN never needs negating.
    do {
        const int d = number % 10;
        digits.push_back(static_cast<char>('0' + (d < 0 ? -d : d)));
        number /= 10;
    } while (number != 0);
    if (negative)
        digits.push_back('-');
    digits.push_back('\0');
    std::reverse(digits.begin(), digits.end());
    write(x, y, digits, width, height, align);
}
