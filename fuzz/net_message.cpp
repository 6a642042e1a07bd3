// The network message decoder takes any datagram without harm, and what it accepts is exactly what
// the encoder writes for the message it read: one layout per message, nothing ignored.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    netmsg::message m;
    std::uint8_t version = 0;
    if (netmsg::decode(data, size, m, version) != netmsg::DECODED)
        return 0;
    const std::vector<std::uint8_t> again = netmsg::encode(m);
    if (again != std::vector<std::uint8_t>(data, data + size))
        abort();
    return 0;
}
