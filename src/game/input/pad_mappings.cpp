#include "game/input/pad_mappings.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/pads.h"

namespace {

// GLFW copies a line into a buffer of this size and silently skips longer ones.
constexpr size_t LONGEST_LINE = 1023;

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
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        if (errno != ENOENT)
            std::fprintf(stderr, "Could not read the pad mappings in \"%s\": %s\n", path,
                         std::strerror(errno));
        return 0;
    }
    int added = 0;
    int number = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (skipped(line))
            continue;
        std::string fault = mapping_fault(line);
        if (fault.empty() && glfw2::add_pad_mapping(line, fault))
            ++added;
        else
            std::fprintf(stderr, "Skipping line %d of \"%s\": %s\n", number, path, fault.c_str());
    }
    if (in.bad())
        std::fprintf(stderr, "Could not read all of the pad mappings in \"%s\"\n", path);
    return added;
}
