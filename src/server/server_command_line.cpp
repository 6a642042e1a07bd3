#include "server/server_command_line.h"

#include <cstddef>

namespace {

// "--max-hosts" and "--max_hosts" name the key max_hosts.
std::string key_of(const std::string& option) {
    std::string key = option.substr(2);
    for (char& c : key)
        if (c == '-')
            c = '_';
    return key;
}

}  // namespace

server_launch parse_server_command_line(const std::vector<std::string>& args, server_config& config,
                                        std::string& error) {
    struct setting {
        std::string key;
        std::string value;
    };
    std::vector<setting> settings;
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h")
            return SERVER_HELP;
        if (a == "--version")
            return SERVER_VERSION;
        if (a.rfind("--", 0) != 0 || a.size() == 2) {
            error = "unexpected argument: " + a;
            return SERVER_BAD;
        }
        const std::size_t equals = a.find('=');
        setting s;
        if (equals != std::string::npos) {
            s.key = key_of(a.substr(0, equals));
            s.value = a.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            s.key = key_of(a);
            s.value = args[++i];
        } else {
            error = a + " needs a value";
            return SERVER_BAD;
        }
        if (s.key == "config")
            file = s.value;
        else
            settings.push_back(s);
    }
    if (!file.empty() && !read_config_file(config, file, error))
        return SERVER_BAD;
    for (const setting& s : settings) {
        if (!set_config_value(config, s.key, s.value, error)) {
            error = "--" + error;
            return SERVER_BAD;
        }
    }
    return SERVER_RUN;
}

std::string server_usage_text() {
    return "Usage: zelvorant-server [--config FILE] [--KEY VALUE]...\n"
           "The rendezvous server of Zelvorant: hosts register and get an invite code, a joining player\n"
           "types the code, the server introduces both so they can reach each other through their routers,\n"
           "and relays a pair's datagrams when nothing else works. It keeps nothing on disk and logs one\n"
           "line per event to standard error, a flood of one kind summed up in a line a second.\n"
           "  --help                      print this and exit\n"
           "  --version                   print the version and exit\n"
           "  --config FILE               read KEY = VALUE lines ('#' comments) before the other options\n"
           "Keys, in FILE or as --KEY VALUE (--KEY=VALUE, dashes or underscores):\n" +
           config_keys_text();
}
