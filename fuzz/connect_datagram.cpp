// The look at raw datagrams a listening host takes before ENet reads them: any bytes, no harm, and a
// request is only ever seen in a datagram long enough to hold its first command.
#include <cstdint>
#include <cstdlib>

#include "net/connect_datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (is_connect_request(data, size) && size < 3)
        abort();
    return 0;
}
