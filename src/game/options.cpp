#include "game/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/menus.h"
#include "interface/key_names.h"
#include "interface/window.h"

namespace {

const char* const CONF = "conf";
const char* const KEY_LABELS[8] = {"blue_cw", "blue_ccw", "blue_primary", "blue_secondary",
                                   "red_cw",  "red_ccw",  "red_primary",  "red_secondary"};

// The key fields in file and button order.
int COptions::*const KEY_FIELDS[8] = {
    &COptions::blue_cw, &COptions::blue_ccw, &COptions::blue_primary, &COptions::blue_secondary,
    &COptions::red_cw,  &COptions::red_ccw,  &COptions::red_primary,  &COptions::red_secondary};

std::string file_text(const COptions& o) {
    std::ostringstream out;
    for (int i = 0; i < 8; ++i)
        out << o.*KEY_FIELDS[i] << ' ' << KEY_LABELS[i] << '\n';
    out << o.width << ' ' << o.height << '\n';
    out << (o.fullscreen ? 1 : 0);
    return out.str();
}

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

// The file a save replaces: "conf" itself, or, when "conf" is a symbolic link (into a dotfiles folder,
// say), the file its links end at, so that the link survives the save.
std::filesystem::path save_target() {
    namespace fs = std::filesystem;
    fs::path path = CONF;
    std::error_code error;
    // Linux follows at most 40 links in a row; a longer chain is a loop.
    for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Writes the whole text beside the target and only then renames it over the target, so a failure at any
// point leaves the previous file untouched and no partial file behind.
bool save(const std::string& text, std::string& error) {
    const std::filesystem::path target = save_target();
    std::string tmp = (target.parent_path() / (target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(tmp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // mkstemp creates the file private: give it the mode of the file it replaces (a player may keep it
    // private, or shared), or the mode a plain create would have had.
    struct stat old_file;
    mode_t mode;
    if (stat(target.c_str(), &old_file) == 0) {
        mode = old_file.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);

    bool ok = write_all(fd, text) && fsync(fd) == 0;
    if (!ok)
        error = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok && std::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = std::strerror(errno);
    }
    if (!ok)
        unlink(tmp.c_str());
    return ok;
}

}  // namespace

void COptions::restore() {
    blue_cw = 65;
    blue_ccw = 81;
    blue_primary = 68;
    blue_secondary = 70;
    red_cw = 306;
    red_ccw = 309;
    red_primary = 307;
    red_secondary = 308;
    fullscreen = false;
    width = 1024;
    height = 600;
}

int COptions::read() {
    std::ifstream in(CONF);
    if (!in.is_open())
        return -1;

    COptions parsed;
    parsed.restore();
    std::string label;
    for (int i = 0; i < 8; ++i)
        in >> parsed.*KEY_FIELDS[i] >> label;
    in >> parsed.width >> parsed.height >> parsed.fullscreen;

    // A file that stops early or holds text where a number belongs, or a size no window can
    // have, would otherwise leave a mix of stale and zeroed fields: use the defaults instead.
    if (in.fail() || parsed.width <= 0 || parsed.height <= 0)
        restore();
    else
        *this = parsed;
    return 0;
}

void COptions::write() {
    std::string error;
    if (!save(file_text(*this), error))
        std::fprintf(stderr, "Could not save the options to \"%s\": %s\n", CONF, error.c_str());
}

void COptions::from_menu(CWindow* menu) {
    if (!menu)
        return;
    const int count = static_cast<int>(menu->buttons.size());
    for (int i = 0; i < KEY_BUTTON_COUNT && i < count; ++i)
        this->*KEY_FIELDS[i] = string2key(menu->buttons[i]->title);
    if (FULLSCREEN_BUTTON < count) {
        const std::string& t = menu->buttons[FULLSCREEN_BUTTON]->title;
        if (t == "Fullscreen OFF")
            fullscreen = false;
        else if (t == "Fullscreen ON")
            fullscreen = true;
    }
}

void COptions::to_menu(CWindow* menu) {
    if (!menu)
        return;
    const int count = static_cast<int>(menu->buttons.size());
    for (int i = 0; i < KEY_BUTTON_COUNT && i < count; ++i)
        menu->buttons[i]->title = key2string(this->*KEY_FIELDS[i]);
    if (FULLSCREEN_BUTTON < count)
        menu->buttons[FULLSCREEN_BUTTON]->title = fullscreen ? "Fullscreen ON" : "Fullscreen OFF";
}
