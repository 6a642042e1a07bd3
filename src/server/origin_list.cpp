#include "server/origin_list.h"

#include <cctype>

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// scheme://host[:port] with the host a name, an IPv4 address or a bracketed IPv6 address.
bool well_formed(const std::string& origin) {
    std::size_t at = 0;
    for (const char* scheme : {"http://", "https://"}) {
        const std::string s = scheme;
        if (origin.compare(0, s.size(), s) == 0)
            at = s.size();
    }
    if (at == 0 || at == origin.size())
        return false;
    std::size_t digits = 0;
    bool in_port = false;
    bool in_brackets = false;
    for (std::size_t i = at; i < origin.size(); ++i) {
        const char c = origin[i];
        if (in_port) {
            if (!std::isdigit(static_cast<unsigned char>(c)) || ++digits > 5)
                return false;
        } else if (c == '[' && i == at) {
            in_brackets = true;
        } else if (c == ']' && in_brackets) {
            in_brackets = false;
        } else if (c == ':' && !in_brackets) {
            in_port = i > at;
            if (!in_port)
                return false;
        } else if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' &&
                   !(in_brackets && c == ':')) {
            return false;
        }
    }
    return !in_brackets && (!in_port || digits > 0);
}

}  // namespace

bool COriginList::parse(const std::string& text, std::string& error) {
    std::vector<std::string> origins;
    bool any = false;
    std::string item;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ',';
        if (c != ',' && c != ' ' && c != '\t') {
            item += c;
            continue;
        }
        if (item.empty())
            continue;
        if (item == "*") {
            any = true;
        } else {
            std::string origin = lower(item);
            if (origin.back() == '/')
                origin.pop_back();
            if (!well_formed(origin)) {
                error = "not an origin like https://example.org or *: " + item;
                return false;
            }
            origins.push_back(origin);
        }
        item.clear();
    }
    if (any == !origins.empty()) {
        error = origins.empty() ? "no origin given (* admits any)" : "* beside other origins";
        return false;
    }
    any_ = any;
    origins_ = origins;
    return true;
}

bool COriginList::allows(const char* origin, std::size_t size) const {
    if (any_)
        return true;
    if (size == 0)
        return false;
    const std::string named = lower(std::string(origin, size));
    for (const std::string& o : origins_)
        if (named == o)
            return true;
    return false;
}
