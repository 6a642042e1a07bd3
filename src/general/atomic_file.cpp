#include "general/atomic_file.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool write_all(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string folder_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    return path.substr(0, slash + 1);
}

// Follows a chain of symbolic links to the file that really holds the text, which need not exist yet
// (a link into a dotfiles folder that was never written). Returns false on a loop.
bool resolve_links(std::string path, std::string& target, std::string& error) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return true;
        }
        std::vector<char> buf(PATH_MAX + 1);
        ssize_t n = readlink(path.c_str(), buf.data(), PATH_MAX);
        if (n < 0) {
            error = std::strerror(errno);
            return false;
        }
        std::string next(buf.data(), static_cast<std::size_t>(n));
        path = next[0] == '/' ? next : folder_of(path) + next;
    }
    error = std::strerror(ELOOP);
    return false;
}

// The replaced file's permissions, or what a plain create would give a new one.
mode_t mode_for(const std::string& target) {
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool write_file_atomically(const std::string& path, const std::string& text, std::string& error) {
    std::string target;
    if (!resolve_links(path, target, error))
        return false;

    std::string tmp_name = target + ".XXXXXX";
    std::vector<char> tmp(tmp_name.begin(), tmp_name.end());
    tmp.push_back('\0');
    int fd = mkstemp(tmp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = fchmod(fd, mode_for(target)) == 0 && write_all(fd, text) && fsync(fd) == 0;
    if (!ok)
        error = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok && std::rename(tmp.data(), target.c_str()) != 0) {
        ok = false;
        error = std::strerror(errno);
    }
    if (!ok)
        unlink(tmp.data());
    return ok;
}
