#include "udp_socket_counts.h"

#include <fstream>
#include <sstream>
#include <string>

udp_socket_counts udp_socket_at(std::uint16_t port) {
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ref
        // pointer drops
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, skip;
        fields >> slot >> local >> remote >> state >> queues;
        const std::size_t colon = local.find(':');
        if (colon == std::string::npos || std::stoul(local.substr(colon + 1), nullptr, 16) != port)
            continue;
        udp_socket_counts out;
        out.queued_bytes = std::stol(queues.substr(queues.find(':') + 1), nullptr, 16);
        for (int i = 0; i < 7; ++i)
            fields >> skip;
        fields >> out.dropped;
        return out;
    }
    return {};
}
