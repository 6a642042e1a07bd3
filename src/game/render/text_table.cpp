#include "game/render/text_table.h"

#include <algorithm>

#include "graphics/graphics.h"

namespace {

// Two characters between columns.
constexpr float GAP = 2;

std::vector<float> column_widths(const text_table& t) {
    std::vector<float> widths;
    for (const auto& row : t.rows) {
        if (widths.size() < row.size())
            widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<float>(row[c].size()) * t.size / 2);
    }
    return widths;
}

}  // namespace

float table_width(const text_table& t) {
    const std::vector<float> widths = column_widths(t);
    float width = 0;
    for (float w : widths)
        width += w;
    return widths.empty() ? 0 : width + static_cast<float>(widths.size() - 1) * GAP * t.size / 2;
}

void draw_table(const text_table& t, float left, float top) {
    const std::vector<float> widths = column_widths(t);
    float y = top;
    for (const auto& row : t.rows) {
        float x = left;
        for (std::size_t c = 0; c < row.size(); ++c) {
            // A right-aligned text ends half a quad past its anchor (see write).
            if (t.numbers && c > 0)
                write(x + widths[c] - t.size / 2, y, row[c], t.size, t.size, RIGHT);
            else
                write(x, y, row[c], t.size, t.size, LEFT);
            x += widths[c] + GAP * t.size / 2;
        }
        y -= t.line;
    }
}
