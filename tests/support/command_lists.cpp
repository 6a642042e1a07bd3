#include "command_lists.h"

std::vector<recorded_command> commands_of(const CCommandLog& log) {
    std::vector<recorded_command> out;
    CCommandLog::reader in(log);
    for (recorded_command c; in.next(c);)
        out.push_back(c);
    return out;
}

CCommandLog log_of(const std::vector<recorded_command>& commands) {
    CCommandLog log;
    for (const recorded_command& c : commands)
        log.add(c.step, c.command);
    return log;
}
