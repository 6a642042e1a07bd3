#pragma once

#include <string>
#include <vector>

// Rows of cells in the HUD's font, each column as wide as its longest cell, for the screens' short lists
// (the keys that play, a match's figures). The caller binds the font and sets the colour.
struct text_table {
    std::vector<std::vector<std::string>> rows;
    float size = 20;       // a character's quad: a character takes half of it across
    float line = 22;       // from one row's baseline to the next
    bool numbers = false;  // the cells after the first stand right-aligned in their columns
};

// Across the widest row, gaps included.
float table_width(const text_table& table);
// The first row's baseline at `top`, the table's left edge at `left`.
void draw_table(const text_table& table, float left, float top);
