#include "general/key_value_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "general/atomic_file.h"
#include "general/text_lines.h"
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

CKeyValueFile::read_result CKeyValueFile::read(const std::string& path, std::vector<int>& odd_lines,
                                               std::string& error) {
    lines.clear();
    odd_lines.clear();
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
            return UNREADABLE;
    }
    for_each_line(bytes, [&](int number, const std::string& text) {
        line l{"", "", text};
        const std::string t = trimmed(text);
        if (!t.empty() && t[0] != '#') {
            const std::size_t eq = t.find('=');
            if (eq != std::string::npos && text.find('\0') == std::string::npos) {
                l.name = trimmed(t.substr(0, eq));
                l.value = trimmed(t.substr(eq + 1));
            }
            if (l.name.empty())
                odd_lines.push_back(number);
        }
        lines.push_back(std::move(l));
    });
    return READ;
}

std::string CKeyValueFile::text() const {
    std::string out;
    for (const line& l : lines)
        out += l.text + "\n";
    return out;
}

bool CKeyValueFile::write(const std::string& path, std::string& error) const {
    return write_file_atomically(path, text(), error);
}

const std::string* CKeyValueFile::find(const std::string& name) const {
    for (const line& l : lines)
        if (!name.empty() && l.name == name)
            return &l.value;
    return nullptr;
}

void CKeyValueFile::set(const std::string& name, const std::string& value) {
    const std::string text = name + " = " + value;
    for (line& l : lines) {
        if (l.name == name) {
            l.value = value;
            l.text = text;
            return;
        }
    }
    lines.push_back({name, value, text});
}
