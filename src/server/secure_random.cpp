#include "server/secure_random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "net/rendezvous_message.h"

namespace {

void fill(void* buffer, std::size_t size) {
    auto* at = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ssize_t got = getrandom(at, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // Guessable codes would open every host to strangers: better no server.
            std::perror("zelvorant-server: getrandom");
            std::abort();
        }
        at += got;
        size -= static_cast<std::size_t>(got);
    }
}

}  // namespace

std::uint64_t secure_random_u64() {
    std::uint64_t v = 0;
    fill(&v, sizeof v);
    return v;
}

std::string secure_random_code() {
    constexpr unsigned symbols = sizeof rdv::CODE_ALPHABET - 1;
    // Bytes from the largest multiple of the alphabet's size up are drawn again: no symbol favoured.
    constexpr unsigned limit = 256 / symbols * symbols;
    std::string code;
    while (code.size() < rdv::CODE_LENGTH) {
        unsigned char bytes[16];
        fill(bytes, sizeof bytes);
        for (unsigned char b : bytes)
            if (b < limit && code.size() < rdv::CODE_LENGTH)
                code += rdv::CODE_ALPHABET[b % symbols];
    }
    return code;
}
