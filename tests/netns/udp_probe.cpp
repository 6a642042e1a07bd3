#include "udp_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "namespaces.h"

namespace {

std::string endpoint_text(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace

CEchoServer::CEchoServer(const std::string& space, const std::string& address, unsigned short port)
    : socket_(udp_socket_in(space, address, port)) {
    if (socket_ < 0) {
        return;
    }
    thread_ = std::thread([this] {
        while (!stop_) {
            char buffer[512];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            pollfd wait{socket_, POLLIN, 0};
            if (poll(&wait, 1, 50) <= 0 || recvfrom(socket_, buffer, sizeof buffer, 0,
                                                    reinterpret_cast<sockaddr*>(&from), &length) < 0) {
                continue;
            }
            const std::string answer = endpoint_text(from);
            sendto(socket_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    });
}

CEchoServer::~CEchoServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (socket_ >= 0) {
        close(socket_);
    }
}

bool send_text(int socket, const std::string& address, unsigned short port, const std::string& text) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    return inet_pton(AF_INET, address.c_str(), &to.sin_addr) == 1 &&
           sendto(socket, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
               static_cast<ssize_t>(text.size());
}

std::string receive_text(int socket, int milliseconds, std::string* sender) {
    pollfd wait{socket, POLLIN, 0};
    char buffer[512];
    if (poll(&wait, 1, milliseconds) <= 0) {
        return "";
    }
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = recvfrom(socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (sender != nullptr) {
        *sender = endpoint_text(from);
    }
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

std::string seen_by(int socket, const std::string& address, unsigned short port) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!send_text(socket, address, port, "probe")) {
            return "";
        }
        const std::string answer = receive_text(socket, 300);
        if (!answer.empty()) {
            return answer;
        }
    }
    return "";
}
