// Any datagram the rendezvous server or a side receives: no crash, and what decodes encodes back to the
// same bytes, so that no two readings of one datagram exist.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/rendezvous_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rdv::message m;
    if (!rdv::decode(data, size, m))
        return 0;
    if (m.locals.size() > static_cast<std::size_t>(rdv::MAX_ENDPOINTS))
        abort();
    const std::vector<std::uint8_t> again = rdv::encode(m);
    if (again != std::vector<std::uint8_t>(data, data + size))
        abort();
    std::string code;
    if (!m.code.empty() && !rdv::normalize_code(m.code, code))
        abort();
    return 0;
}
