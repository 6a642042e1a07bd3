#include "game/input/pad_mappings.h"

#include <cctype>
#include <cstdio>
#include <sstream>
#include <vector>

#include "general/line_faults.h"
#include "general/text_lines.h"
#include "platform/file_bytes.h"
#include "platform/pads.h"

namespace {

// GLFW copies a line into a buffer of this size and silently skips longer ones.
constexpr size_t LONGEST_LINE = 1023;
// GLFW refuses a line whose name does not fit its buffer of 128 bytes.
constexpr size_t LONGEST_NAME = 127;
// The community's file of every known pad is well under a megabyte.
constexpr std::size_t MAX_FILE_BYTES = 16u << 20;

// The fields GLFW reads a button, axis or hat from; others (platform, hints) it passes over.
const char* const ELEMENT_FIELDS[] = {"a",
                                      "b",
                                      "x",
                                      "y",
                                      "back",
                                      "start",
                                      "guide",
                                      "leftshoulder",
                                      "rightshoulder",
                                      "leftstick",
                                      "rightstick",
                                      "dpup",
                                      "dpright",
                                      "dpdown",
                                      "dpleft",
                                      "lefttrigger",
                                      "righttrigger",
                                      "leftx",
                                      "lefty",
                                      "rightx",
                                      "righty"};

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!line.empty() && line.back() == separator)
        parts.emplace_back();
    return parts;
}

bool all_digits(const std::string& text, size_t from, size_t to) {
    if (from >= to || to > text.size())
        return false;
    for (size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// "b3", "a1", "a1~", "+a2", "-a2", "h0.4".
bool element(const std::string& value) {
    size_t i = value[0] == '+' || value[0] == '-' ? 1 : 0;
    if (i >= value.size())
        return false;
    const char kind = value[i++];
    size_t end = value.size();
    if (kind == 'a' && value.back() == '~')
        --end;
    if (kind == 'a' || kind == 'b')
        return all_digits(value, i, end);
    if (kind != 'h')
        return false;
    const size_t dot = value.find('.', i);
    return dot != std::string::npos && all_digits(value, i, dot) && all_digits(value, dot + 1, end);
}

bool element_field(const std::string& name) {
    for (const char* f : ELEMENT_FIELDS)
        if (name == f)
            return true;
    return false;
}

// GLFW passes over, without a word, a line for another platform; kept, it would take the place of this
// platform's line for the same pad.
bool for_this_platform(const std::string& line) {
    const std::size_t field = line.find(",platform:");
    return field == std::string::npos || line.compare(field + 10, 5, "Linux") == 0;
}

bool skipped(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

}  // namespace

std::string mapping_fault(const std::string& line) {
    if (line.size() > LONGEST_LINE)
        return "longer than " + std::to_string(LONGEST_LINE) + " characters";
    const std::vector<std::string> fields = split(line, ',');
    if (fields.size() < 2)
        return "no name after the GUID";
    const std::string& guid = fields[0];
    if (guid.size() != 32 || guid.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return "the GUID is not 32 hexadecimal digits";
    if (fields[1].empty())
        return "no name after the GUID";
    if (fields[1].size() > LONGEST_NAME)
        return "the name is longer than " + std::to_string(LONGEST_NAME) + " characters";
    for (size_t i = 2; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        if (field.empty())
            continue;
        const size_t colon = field.find(':');
        if (colon == std::string::npos || colon == 0)
            return "\"" + field + "\" is not name:value";
        // A leading sign on the name selects half an axis, which GLFW does not read but accepts.
        std::string name = field.substr(0, colon);
        if (name[0] == '+' || name[0] == '-')
            name.erase(0, 1);
        if (element_field(name) && !element(field.substr(colon + 1)))
            return "\"" + field + "\" names no button, axis or hat";
    }
    return "";
}

int load_pad_mappings(const char* path) {
    std::string bytes, detail;
    switch (read_file_bytes(path, MAX_FILE_BYTES, bytes, detail)) {
        case FILE_READ:
            break;
        case FILE_MISSING:
            return 0;
        case FILE_NOT_REGULAR:
            detail = "not a regular file";
            break;
        case FILE_TOO_LARGE:
            detail += ", more than a mapping file holds";
            break;
        case FILE_CANNOT_READ:
            detail = "it could not be read to its end";
            break;
        case FILE_CANNOT_OPEN:
            break;
    }
    if (!detail.empty()) {
        std::fprintf(stderr, "Could not read the pad mappings in \"%s\": %s\n", path, detail.c_str());
        return 0;
    }
    CLineFaults faults(path);
    int added = 0;
    for_each_line(bytes, [&](int number, std::string line) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (skipped(line) || !for_this_platform(line))
            return;
        const std::string fault = mapping_fault(line);
        if (fault.empty()) {
            glfw2::keep_pad_mapping(line);
            ++added;
        } else {
            faults.add(number, fault);
        }
    });
    faults.finish();
    return added;
}
