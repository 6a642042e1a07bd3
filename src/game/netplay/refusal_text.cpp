#include "game/netplay/refusal_text.h"

#include "net/message.h"

std::string refusal_text(std::uint8_t reason, const std::string& their_program, const std::string& ours) {
    switch (reason) {
        case netmsg::MATCH_FULL:
            return "The match is full";
        case netmsg::WATCHERS_FULL:
            return "The match has as many watchers as it takes";
        case netmsg::PROGRAM_DIFFERS:
            return "The host runs version " + their_program + ", this is version " + ours;
        case netmsg::RULES_DIFFER:
            return "The host plays by different rules (another build of version " + their_program + ")";
        default:
            return "The host refused to play";
    }
}
