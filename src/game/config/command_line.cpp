#include "game/config/command_line.h"
#include "general/echoed_text.h"

namespace {

// An optional argument is taken from the next word unless that is an option itself.
enum argument_kind { NO_ARGUMENT, REQUIRED_ARGUMENT, OPTIONAL_ARGUMENT };

struct option_entry {
    const char* name;
    argument_kind argument;
    const char* argument_name;
    launch_mode mode;
    const char* help;
};

// Every option selects one mode; a new mode is one more row.
const option_entry option_table[] = {
    {"--help", NO_ARGUMENT, "", LAUNCH_HELP, "print this help and exit"},
    {"--version", NO_ARGUMENT, "", LAUNCH_VERSION, "print the version and exit"},
    {"--replay", REQUIRED_ARGUMENT, "FILE", LAUNCH_REPLAY,
     "watch a recorded match: Space pauses, Left/Right halve/double the speed,\n"
     "                          Home/End jump to the start/end, Page Up/Page Down 10 s back/on, Escape ends"},
    {"--verify-replay", REQUIRED_ARGUMENT, "FILE", LAUNCH_VERIFY_REPLAY,
     "check a recorded match without a window: print its final state hash;\n"
     "                          exit 0 when it is the recorded one, 1 when not, 2 when the file is unusable"},
    {"--host", OPTIONAL_ARGUMENT, "[PORT]", LAUNCH_HOST,
     "wait for a network player on this UDP port (24816 when not given)"},
    {"--join", REQUIRED_ARGUMENT, "HOST[:PORT]", LAUNCH_JOIN,
     "play a network match with the host at this address"},
    {"--host-online", OPTIONAL_ARGUMENT, "[PORT]", LAUNCH_HOST_ONLINE,
     "--host, and ask the router to open the port and the rendezvous server\n"
     "                          (rendezvous_server in \"settings\") for an invite code to pass on"},
    {"--join-code", REQUIRED_ARGUMENT, "CODE", LAUNCH_JOIN_CODE,
     "play a network match with the host that was given this invite code"},
    {"--watch", REQUIRED_ARGUMENT, "HOST[:PORT]", LAUNCH_WATCH,
     "follow the network match hosted at this address, a second behind, with --replay's keys\n"
     "                          (End comes back to a second behind); Escape ends"},
};

const option_entry* find_option(const std::string& name) {
    for (const option_entry& entry : option_table)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

launch_request bad_usage(const std::string& problem) {
    launch_request request;
    request.mode = LAUNCH_BAD_USAGE;
    request.problem = problem;
    return request;
}

}  // namespace

launch_request parse_command_line(int argc, const char* const* argv) {
    launch_request request;
    bool chosen = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        std::string value;
        bool has_value = false;
        // --name=value is the same as --name value.
        const std::size_t equals = word.find('=');
        if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = word.substr(equals + 1);
            word = word.substr(0, equals);
            has_value = true;
        }
        const option_entry* entry = find_option(word);
        if (entry == nullptr && word.rfind("-", 0) != 0)
            return bad_usage("unexpected argument: " + echoed(word));
        if (entry == nullptr)
            return bad_usage("unknown option: " + echoed(argv[i]));
        if (chosen)
            return bad_usage("only one option may be given: " + word);
        if (entry->argument == NO_ARGUMENT && has_value)
            return bad_usage(word + " takes no value");
        if (!has_value && entry->argument == REQUIRED_ARGUMENT && i + 1 < argc)
            value = argv[++i];
        if (!has_value && entry->argument == OPTIONAL_ARGUMENT && i + 1 < argc && argv[i + 1][0] != '-')
            value = argv[++i];
        if (entry->argument == REQUIRED_ARGUMENT && value.empty())
            return bad_usage(word + " needs " + entry->argument_name);
        request.mode = entry->mode;
        request.value = value;
        chosen = true;
    }
    return request;
}

std::string usage_text() {
    std::string text =
        "Usage: zelvorant [option]\n"
        "Without an option the game starts; every match is recorded under replays/.\n";
    for (const option_entry& entry : option_table) {
        std::string left = std::string("  ") + entry.name;
        if (entry.argument != NO_ARGUMENT)
            left += std::string(" ") + entry.argument_name;
        if (left.size() < 26)
            left.resize(26, ' ');
        else
            left += "  ";
        text += left + entry.help + "\n";
    }
    return text;
}
