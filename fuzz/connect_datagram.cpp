// The look at raw datagrams a listening host takes before ENet reads them: any bytes, no harm; a
// request is only ever seen in a datagram long enough to hold its first command, its fields only in one
// that holds the whole command; a cookie only in a datagram of the cookie's size, and one good now is
// good for the next period too.
#include <cstdint>
#include <cstdlib>

#include "net/connect_cookie.h"
#include "net/connect_datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CConnectCookies host;
    if (is_connect_request(data, size) && size < 3)
        abort();
    std::uint32_t id = 0, cookie = 0;
    if (connect_fields(data, size, id, cookie) && (size < 48 || !is_connect_request(data, size)))
        abort();
    if ((CConnectCookies::is_ask(data, size) || CConnectCookies::read_answer(data, size, cookie)) &&
        size != CConnectCookies::DATAGRAM_SIZE)
        abort();
    // An answer made up by the sender is no cookie of this host's (one in 2^32 would be).
    if (CConnectCookies::read_answer(data, size, cookie) && host.valid(0x7f000001, 9, cookie, 1000) &&
        !host.valid(0x7f000001, 9, cookie, 1000 + 1000 * CConnectCookies::PERIOD_S))
        abort();
    return 0;
}
