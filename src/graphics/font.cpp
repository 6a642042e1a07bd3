#include "graphics/font.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// How far the first glyph's left edge lies from x.
float first_glyph_offset(std::size_t length, float width, int align) {
    const float text_length = static_cast<float>(length);
    switch (align) {
        case RIGHT:
            return width / 4 - text_length * width / 2;
        case CENTER:
            return -(text_length * width / 4) - width / 4;
        default:
            return -width / 4;
    }
}

// The lower-left corner of a character's cell in the font sheet.
void cell_of(char ch, float& u, float& v) {
    // Cells are indexed by the signed byte, as the font sheet was laid out.
    const int c = static_cast<signed char>(ch);
    u = static_cast<float>(c % 16) * 0.0625f;
    // The window starts 1/256 below the cell boundary so neighbouring rows never bleed in.
    v = static_cast<float>(1.0 - (c / 16 + 1.0625) * 0.0625);
}

}  // namespace

void write(float x, float y, std::string text, float width, float height, int align) {
    const float pos = x;
    const float translation = first_glyph_offset(text.size(), width, align);

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_QUADS);
    for (char ch : text) {
        if (ch == '\n') {
            x = pos;
            y -= height;
            continue;
        }
        float u, v;
        cell_of(ch, u, v);
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

pixel_rect text_box(float x, float y, const std::string& text, float width, float height, int align) {
    const float left = x + first_glyph_offset(text.size(), width, align);
    // Glyphs step half a width to the right; a new line starts again at x, a line lower.
    std::size_t longest = 0, line = 0, row = 0, last_row = 0;
    for (char ch : text) {
        if (ch == '\n') {
            line = 0;
            ++row;
        } else {
            longest = std::max(longest, ++line);
            last_row = row;
        }
    }
    if (longest == 0)
        return {};
    const float right = left + static_cast<float>(longest - 1) * width / 2 + width;
    const float bottom = y - static_cast<float>(last_row) * height;
    // A pixel to spare on each side: edge pixels depend on rounding.
    const int x0 = static_cast<int>(std::floor(std::min(left, right))) - 1;
    const int y0 = static_cast<int>(std::floor(std::min(bottom, y + height))) - 1;
    const int x1 = static_cast<int>(std::ceil(std::max(left, right))) + 1;
    const int y1 = static_cast<int>(std::ceil(std::max(bottom, y + height))) + 1;
    return {x0, y0, x1 - x0, y1 - y0};
}

void leave_write_state(const std::string& text) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // The texture coordinate of the last glyph's last corner stays current after its drawing.
    for (auto ch = text.rbegin(); ch != text.rend(); ++ch) {
        if (*ch == '\n')
            continue;
        float u, v;
        cell_of(*ch, u, v);
        glTexCoord2f(u, v + 0.0625f);
        return;
    }
}
