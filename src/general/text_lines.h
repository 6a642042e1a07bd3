#pragma once

#include <cstddef>
#include <string>

// Calls `take(number, line)` for each line of `text`, numbered from 1, without its line feed; a last
// line without one counts too. Each line is looked at once, so a file of any length reads in linear time.
template <class Take>
void for_each_line(const std::string& text, Take take) {
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        take(++number, text.substr(start, end - start));
        start = end + 1;
    }
}
