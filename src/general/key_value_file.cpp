#include "general/key_value_file.h"

#include <cerrno>
#include <cstring>
#include <sstream>

#include "general/atomic_file.h"
#include "platform/file_bytes.h"

namespace {

std::string trimmed(const std::string& s) {
    const char* space = " \t\r";
    std::size_t first = s.find_first_not_of(space);
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

// Files of a few lines; anything far larger is not one of ours.
constexpr std::size_t MAX_SIZE = 1 << 20;

}  // namespace

CKeyValueFile::read_result CKeyValueFile::read(const std::string& path, std::string& error) {
    lines.clear();
    std::string bytes;
    switch (read_file_bytes(path, MAX_SIZE, bytes, error)) {
        case FILE_READ:
            break;
        case FILE_MISSING:
            error = std::strerror(ENOENT);
            return MISSING;
        case FILE_CANNOT_OPEN:
            return MISSING;
        default:
            error = "unreadable or too large";
            return MALFORMED;
    }
    std::istringstream text(bytes);
    std::string line;
    int number = 0;
    std::vector<std::pair<std::string, std::string>> parsed;
    while (std::getline(text, line)) {
        ++number;
        std::string t = trimmed(line);
        if (t.empty() || t[0] == '#') {
            parsed.emplace_back("", t);
            continue;
        }
        std::size_t eq = t.find('=');
        std::string name = eq == std::string::npos ? "" : trimmed(t.substr(0, eq));
        if (name.empty() || line.find('\0') != std::string::npos) {
            error = "line " + std::to_string(number) + " is not \"name = value\"";
            return MALFORMED;
        }
        parsed.emplace_back(name, trimmed(t.substr(eq + 1)));
    }
    lines = std::move(parsed);
    return READ;
}

std::string CKeyValueFile::text() const {
    std::string out;
    for (const auto& [name, value] : lines)
        out += name.empty() ? value + "\n" : name + " = " + value + "\n";
    return out;
}

bool CKeyValueFile::write(const std::string& path, std::string& error) const {
    return write_file_atomically(path, text(), error);
}

const std::string* CKeyValueFile::find(const std::string& name) const {
    for (const auto& line : lines)
        if (!name.empty() && line.first == name)
            return &line.second;
    return nullptr;
}

void CKeyValueFile::set(const std::string& name, const std::string& value) {
    for (auto& line : lines) {
        if (line.first == name) {
            line.second = value;
            return;
        }
    }
    lines.emplace_back(name, value);
}
