// Every #include under src/ follows an arrow the build allows: a folder's library names in its
// target_link_libraries the folders it may include from, and the outside libraries whose headers it may
// include. The two back arrows the design gives are the only exceptions, each for its own files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// Outside libraries by the CMake target that brings them and the start of their headers' names.
const std::map<std::string, std::string> OUTSIDE_HEADERS = {
    {"OpenGL::GL", "GL/"},        {"PkgConfig::GLFW3", "GLFW/"}, {"PkgConfig::OPENAL", "AL/"},
    {"PkgConfig::ENET", "enet/"}, {"/usr/include/stb", "stb_"},
};

// A particle and a figure hold their drawing record; widgets and interface images are drawn by the
// graphics layer. Each back arrow holds for these files and headers only.
struct back_arrow {
    std::string file;    // under src/
    std::string header;  // as included
};
const std::vector<back_arrow> BACK_ARROWS = {
    {"general/particle.h", "graphics/graphical.h"},
    {"general/figure.h", "graphics/graphical.h"},
    {"graphics/widget_draw.cpp", "interface/window.h"},
    {"graphics/image_draw.cpp", "interface/interface_elem.h"},
};

std::string read(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct folder_rules {
    std::set<std::string> folders;  // other folders it may include from
    std::set<std::string> outside;  // header prefixes of outside libraries
};

// The words inside every call of `command` in a CMake file, e.g. each "target_link_libraries(...)".
std::vector<std::vector<std::string>> calls(const std::string& text, const std::string& command) {
    std::vector<std::vector<std::string>> out;
    const std::string opening = command + "(";
    for (std::size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_'))
            continue;
        const std::size_t from = at + opening.size();
        const std::size_t to = text.find(')', from);
        std::istringstream words(text.substr(from, to == std::string::npos ? std::string::npos : to - from));
        out.emplace_back();
        for (std::string w; words >> w;)
            out.back().push_back(w);
    }
    return out;
}

// The rules of every folder under `src` holding a CMakeLists.txt, read from its libraries' links.
std::map<std::string, folder_rules> read_rules(const fs::path& src) {
    std::map<std::string, std::string> folder_of;  // library -> folder
    std::map<std::string, std::vector<std::string>> links;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (entry.path().filename() != "CMakeLists.txt")
            continue;
        const std::string folder = fs::relative(entry.path().parent_path(), src).generic_string();
        const std::string text = read(entry.path());
        for (const auto& words : calls(text, "add_library"))
            if (words.size() >= 2 && words[0].rfind("zelvorant_", 0) == 0 && words[1] == "STATIC")
                folder_of[words[0]] = folder;
        for (const char* command : {"target_link_libraries", "target_include_directories"})
            for (const auto& words : calls(text, command))
                if (!words.empty())
                    links[words[0]].insert(links[words[0]].end(), words.begin() + 1, words.end());
    }
    std::map<std::string, folder_rules> rules;
    for (const auto& [lib, folder] : folder_of) {
        folder_rules& r = rules[folder];
        for (const std::string& target : links[lib]) {
            if (folder_of.count(target) != 0 && folder_of[target] != folder)
                r.folders.insert(folder_of[target]);
            const auto outside = OUTSIDE_HEADERS.find(target);
            if (outside != OUTSIDE_HEADERS.end())
                r.outside.insert(outside->second);
        }
    }
    return rules;
}

// The folder a file under src/ belongs to: the deepest one with rules.
std::string folder_of(const std::string& path, const std::map<std::string, folder_rules>& rules) {
    std::string best;
    for (const auto& [folder, r] : rules)
        if (path.rfind(folder + "/", 0) == 0 && folder.size() > best.size())
            best = folder;
    return best;
}

// The folders of the back arrows: their links go both ways, which the build needs, but only the declared
// files may include across them.
void set_back_arrows_aside(std::map<std::string, folder_rules>& rules) {
    for (const back_arrow& a : BACK_ARROWS)
        rules[folder_of(a.file, rules)].folders.erase(folder_of(a.header, rules));
}

bool is_back_arrow(const std::string& file, const std::string& header) {
    return std::any_of(BACK_ARROWS.begin(), BACK_ARROWS.end(),
                       [&](const back_arrow& a) { return a.file == file && a.header == header; });
}

// Whether `line` is an #include, with its opening character ('<' or '"') and the header it names.
bool included(const std::string& line, char& opening, std::string& header) {
    std::istringstream in(line);
    std::string hash;
    if (!(in >> hash) || hash.rfind('#', 0) != 0)
        return false;
    std::string rest = hash.substr(1) + line.substr(line.find('#') + hash.size());
    rest.erase(0, rest.find_first_not_of(" \t"));
    if (rest.rfind("include", 0) != 0)
        return false;
    rest.erase(0, rest.find_first_not_of(" \t", 7));
    if (rest.empty() || (rest[0] != '<' && rest[0] != '"'))
        return false;
    opening = rest[0];
    const std::size_t end = rest.find(opening == '<' ? '>' : '"', 1);
    if (end == std::string::npos)
        return false;
    header = rest.substr(1, end - 1);
    return true;
}

// One line per include that no arrow allows: "file:line: includes header (folder -> folder)".
std::vector<std::string> forbidden_includes(const fs::path& src) {
    auto rules = read_rules(src);
    set_back_arrows_aside(rules);
    std::vector<std::string> problems;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp")
            continue;
        const std::string file = fs::relative(entry.path(), src).generic_string();
        const std::string from = folder_of(file, rules);
        if (from.empty()) {
            problems.push_back(file + ": lies in no folder with a library of its own");
            continue;
        }
        std::ifstream in(entry.path());
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            char opening = 0;
            std::string header;
            if (!included(line, opening, header))
                continue;
            const auto& allowed = rules.at(from);
            bool ok;
            std::string to;
            if (opening == '"') {
                to = folder_of(header, rules);
                ok =
                    to.empty() || to == from || allowed.folders.count(to) != 0 || is_back_arrow(file, header);
            } else {
                const bool outside =
                    std::any_of(OUTSIDE_HEADERS.begin(), OUTSIDE_HEADERS.end(),
                                [&](const auto& o) { return header.rfind(o.second, 0) == 0; });
                to = "outside library";
                ok = !outside || std::any_of(allowed.outside.begin(), allowed.outside.end(),
                                             [&](const std::string& p) { return header.rfind(p, 0) == 0; });
            }
            if (!ok)
                problems.push_back(file + ":" + std::to_string(number) + ": includes " + header + " (" +
                                   from + " -> " + to + ")");
        }
    }
    return problems;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

// Folders that reach themselves through the arrows once the back arrows are set aside.
std::vector<std::string> folders_in_cycles(const fs::path& src) {
    auto rules = read_rules(src);
    set_back_arrows_aside(rules);
    std::vector<std::string> cyclic;
    for (const auto& [start, r] : rules) {
        std::set<std::string> seen;
        std::vector<std::string> todo(r.folders.begin(), r.folders.end());
        while (!todo.empty()) {
            const std::string f = todo.back();
            todo.pop_back();
            if (!seen.insert(f).second)
                continue;
            for (const std::string& next : rules[f].folders)
                todo.push_back(next);
        }
        if (seen.count(start) != 0)
            cyclic.push_back(start);
    }
    return cyclic;
}

TEST(Layers, EveryIncludeUnderSrcFollowsAnArrowOfTheBuild) {
    const fs::path src = fs::path(ZELVORANT_SOURCE_DIR) / "src";
    const auto rules = read_rules(src);
    // The folders the design names, each with its library.
    for (const char* folder : {"platform", "general", "physics", "graphics", "interface", "audio", "net",
                               "game/sim", "game/opponent", "game/replay", "game/netplay", "game/config",
                               "game/input", "game/ui", "game/render", "game/sound", "game/app"})
        EXPECT_EQ(rules.count(folder), 1u) << folder;
    EXPECT_EQ(joined(forbidden_includes(src)), "");
    EXPECT_EQ(joined(folders_in_cycles(src)), "");
}

TEST(Layers, TheBoardIncludesNoDrawingWindowingSoundOrNetwork) {
    const auto rules = read_rules(fs::path(ZELVORANT_SOURCE_DIR) / "src");
    const folder_rules& sim = rules.at("game/sim");
    EXPECT_TRUE(sim.outside.empty());
    for (const char* f : {"graphics", "platform", "audio", "net"})
        EXPECT_EQ(sim.folders.count(f), 0u) << f;
    for (const auto& [folder, r] : rules) {
        if (folder.rfind("game/", 0) == 0)
            continue;
        for (const std::string& to : r.folders)
            EXPECT_NE(to.rfind("game", 0), 0u) << "the engine folder " << folder << " uses " << to;
    }
}

class LayerCheck : public ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        fs::create_directories("src/low");
        fs::create_directories("src/high");
        fs::create_directories("src/general");
        fs::create_directories("src/graphics");
        write_text("src/low/CMakeLists.txt", "add_library(zelvorant_low STATIC a.cpp)\n");
        write_text("src/high/CMakeLists.txt",
                   "add_library(zelvorant_high STATIC b.cpp)\n"
                   "target_link_libraries(zelvorant_high PUBLIC zelvorant_low\n  OpenGL::GL)\n");
        write_text("src/general/CMakeLists.txt",
                   "add_library(zelvorant_general STATIC particle.cpp)\n"
                   "target_link_libraries(zelvorant_general PUBLIC zelvorant_graphics)\n");
        write_text("src/graphics/CMakeLists.txt",
                   "add_library(zelvorant_graphics STATIC g.cpp)\n"
                   "target_link_libraries(zelvorant_graphics PUBLIC zelvorant_general)\n");
        write_text("src/low/a.h", "#pragma once\n");
        write_text("src/high/b.cpp", "#include \"low/a.h\"\n#include <GL/gl.h>\n#include <vector>\n");
        write_text("src/general/particle.h", "#include \"graphics/graphical.h\"\n");
        write_text("src/graphics/g.cpp", "#include \"general/particle.h\"\n");
    }
};

TEST_F(LayerCheck, AllowsTheArrowsOfTheLinksAndTheDeclaredBackArrow) {
    EXPECT_EQ(joined(forbidden_includes("src")), "");
    EXPECT_EQ(joined(folders_in_cycles("src")), "");
}

TEST_F(LayerCheck, NamesTheFileAndLineOfAForbiddenInclude) {
    write_text("src/low/a.cpp", "#include <string>\n\n#include \"high/b.h\"\n");
    write_text("src/low/gl.cpp", "#include <GL/gl.h>\n");
    write_text("src/general/figure_sound.cpp", "#include \"graphics/graphical.h\"\n");
    write_text("src/loose.cpp", "\n");
    const auto problems = forbidden_includes("src");
    const std::string all = joined(problems);
    EXPECT_EQ(problems.size(), 4u) << all;
    EXPECT_NE(all.find("low/a.cpp:3: includes high/b.h (low -> high)"), std::string::npos) << all;
    EXPECT_NE(all.find("low/gl.cpp:1: includes GL/gl.h"), std::string::npos) << all;
    // The back arrow holds for the particle's header alone.
    EXPECT_NE(all.find("general/figure_sound.cpp:1: includes graphics/graphical.h"), std::string::npos)
        << all;
    EXPECT_NE(all.find("loose.cpp: lies in no folder"), std::string::npos) << all;
}

TEST_F(LayerCheck, FindsACycleBetweenFolders) {
    write_text("src/low/CMakeLists.txt",
               "add_library(zelvorant_low STATIC a.cpp)\ntarget_link_libraries(zelvorant_low PUBLIC "
               "zelvorant_high)\n");
    const auto cyclic = folders_in_cycles("src");
    EXPECT_EQ(joined(cyclic), "high\nlow\n");
}

}  // namespace
