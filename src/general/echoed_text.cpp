#include "general/echoed_text.h"

#include <cstdio>

std::string echoed(const std::string& text, std::size_t most) {
    std::string out = "\"";
    std::size_t shown = 0;
    for (; shown < text.size() && shown < most; ++shown) {
        const unsigned char c = static_cast<unsigned char>(text[shown]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        }
    }
    out += '"';
    if (shown < text.size())
        out += " (cut, " + std::to_string(text.size()) + " bytes in all)";
    return out;
}
