// The look at raw datagrams a listening host takes before ENet reads them: any bytes, no harm; a
// request is only ever seen in a datagram long enough to hold its first command, its fields only in one
// that holds the whole command; a cookie only in a datagram of the cookie's size, and good only if this
// host gave it.
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
    // A cookie is good only if it is one this host gives that sender now or gave it in the period before.
    constexpr std::uint32_t now = 100000;
    std::uint32_t given_now = 0, given_before = 0;
    CConnectCookies::read_answer(host.answer(0x7f000001, 9, now).data(), CConnectCookies::DATAGRAM_SIZE,
                                 given_now);
    CConnectCookies::read_answer(host.answer(0x7f000001, 9, now - 1000 * CConnectCookies::PERIOD_S).data(),
                                 CConnectCookies::DATAGRAM_SIZE, given_before);
    if (CConnectCookies::read_answer(data, size, cookie) && host.valid(0x7f000001, 9, cookie, now) &&
        cookie != given_now && cookie != given_before)
        abort();
    return 0;
}
