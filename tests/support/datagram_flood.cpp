#include "datagram_flood.h"

#include <chrono>
#include <random>
#include <vector>

#include "connect_request.h"
#include "loopback_socket.h"

CDatagramFlood::CDatagramFlood(std::uint16_t port, int rate, double seconds, flood_shape shape) {
    thread_ = std::thread([this, port, rate, seconds, shape] {
        using clock = std::chrono::steady_clock;
        CLoopbackSocket stranger;
        std::mt19937 random(8);
        // Random once; each datagram differs from the last in its first bytes.
        std::vector<unsigned char> junk(9000);
        for (unsigned char& b : junk)
            b = static_cast<unsigned char>(random());
        const auto start = clock::now();
        const auto end =
            start + std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(seconds));
        while (!stop_ && clock::now() < end) {
            // Catch up with the rate in small batches, then rest a millisecond.
            const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
            while (sent_ < static_cast<long>(elapsed * rate)) {
                if (shape == flood_shape::ENET_SHAPED) {
                    std::vector<std::uint8_t> request = connect_request(static_cast<std::uint32_t>(random()));
                    if (sent_ % 4 == 1)
                        request.resize(5 + random() % (request.size() - 5));
                    if (sent_ % 4 == 3)
                        request[0] = request[1] = 0;  // from the first place, which the player may hold
                    stranger.send_to(port, request.data(), request.size());
                    ++sent_;
                    continue;
                }
                const std::size_t n = sent_ % 8 == 7 ? 4097 + random() % 4000 : 1 + random() % 512;
                for (std::size_t i = 0; i < 8; ++i)
                    junk[i] = static_cast<unsigned char>(random());
                stranger.send_to(port, junk.data(), n);
                ++sent_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

CDatagramFlood::~CDatagramFlood() {
    stop_ = true;
    thread_.join();
}
