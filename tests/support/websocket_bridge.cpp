#include "websocket_bridge.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

CWebSocketBridge::CWebSocketBridge(std::uint16_t websocket_port, const websocket_options& options) {
    socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (socket_ < 0 || bind(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &length) != 0)
        return;
    local_.address = INADDR_LOOPBACK;
    local_.port = ntohs(a.sin_port);
    ready_ = client_.connect(websocket_port, options) == 101;
    if (ready_)
        thread_ = std::thread([this] { carry(); });
}

CWebSocketBridge::~CWebSocketBridge() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (socket_ >= 0)
        close(socket_);
}

void CWebSocketBridge::carry() {
    sockaddr_in game{};
    bool heard_game = false;
    std::uint8_t buffer[2048];
    std::vector<std::uint8_t> message;
    while (!stop_) {
        pollfd p[2] = {{socket_, POLLIN, 0}, {client_.descriptor(), POLLIN, 0}};
        if (poll(p, 2, 20) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ssize_t n;
        while ((n = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                             &length)) >= 0) {
            game = from;
            heard_game = true;
            client_.send_frame(std::vector<std::uint8_t>(buffer, buffer + n));
            ++to_server_;
            length = sizeof from;
        }
        while (client_.take_message(message)) {
            if (!heard_game)
                continue;
            sendto(socket_, message.data(), message.size(), 0, reinterpret_cast<const sockaddr*>(&game),
                   sizeof game);
            ++to_game_;
        }
    }
}
