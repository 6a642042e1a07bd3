#include "online_players.h"

#include <filesystem>
#include <sstream>

#include "namespaces.h"

std::unique_ptr<CProgramRun> start_in(const std::string& folder, const std::string& space,
                                      const std::vector<std::string>& command) {
    std::filesystem::create_directories(folder);
    auto run = std::make_unique<CProgramRun>(folder);
    start_inside(*run, space, command);
    return run;
}

std::map<std::string, std::string> items(const std::string& output) {
    std::map<std::string, std::string> found;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        const std::size_t space = line.find(' ');
        if (space != std::string::npos)
            found[line.substr(0, space)] = line.substr(space + 1);
    }
    return found;
}
