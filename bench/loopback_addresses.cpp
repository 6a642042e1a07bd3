#include "loopback_addresses.h"

#include <sys/resource.h>

#include <atomic>

std::uint32_t next_honest_address() {
    static std::atomic<std::uint32_t> next{16u << 8};
    return 0x7f000000u | next++ << 8 | 1u;
}

std::uint32_t attack_address(int network, int index) {
    return 0x7f000000u | static_cast<std::uint32_t>(network) << 16 |
           static_cast<std::uint32_t>(index & 0xffff);
}

void raise_file_limit() {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
}
