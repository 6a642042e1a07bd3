// A page for the browser tests: the game's rendezvous client hosting through the server's WebSocket
// port over the browser's datagram socket, as the game's session will. Its state is shown to the test in
// window.pageState; each relayed datagram from the other side goes back with "echo " before it.
#include <emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/rendezvous_client.h"
#include "net/websocket_datagrams.h"

namespace {

// The socket has one destination: the server's endpoint only tells the client's datagrams for it
// from those for the other side, which a page cannot reach but through the server.
const rdv::endpoint SERVER{1, 1};

struct page {
    explicit page(const std::string& url)
        : socket(url),
          client(SERVER, {}, [this](const rdv::endpoint& to, const std::vector<std::uint8_t>& d) {
              if (to == SERVER)
                  socket.send(d.data(), d.size());
          }) {}

    CWebSocketDatagrams socket;
    CRendezvousClient client;
    int echoed = 0;
};

// clang-format off
EM_JS(void, show, (int phase, const char* code, const char* path, const char* error, const char* closed,
                   int echoed), {
    window.pageState = {phase: phase, code: UTF8ToString(code), path: UTF8ToString(path),
                        error: UTF8ToString(error), closed: UTF8ToString(closed), echoed: echoed};
});
// clang-format on

double now_s() {
    return emscripten_get_now() / 1000;
}

void turn(void* arg) {
    page& p = *static_cast<page*>(arg);
    std::uint8_t d[rdv::MAX_DATAGRAM];
    for (std::size_t size; (size = p.socket.receive(d, sizeof d)) > 0;) {
        if (rdv::is_rendezvous(d, size)) {
            p.client.received(SERVER, d, size, now_s());
            continue;
        }
        std::vector<std::uint8_t> echo = {'e', 'c', 'h', 'o', ' '};
        echo.insert(echo.end(), d, d + size);
        if (p.socket.send(echo.data(), echo.size()))
            ++p.echoed;
    }
    p.client.poll(now_s());
    const std::string closed = p.socket.status() == CWebSocketDatagrams::CLOSED ? p.socket.closed_why() : "";
    show(static_cast<int>(p.client.state()), p.client.code().c_str(), p.client.path().c_str(),
         p.client.error().c_str(), closed.c_str(), p.echoed);
}

}  // namespace

// The server's WebSocket URL is the program's one argument (the page passes its "server" parameter).
int main(int argc, char** argv) {
    static page p(argc > 1 ? argv[1] : "");
    p.client.host(rdv::endpoint{}, now_s());
    emscripten_set_main_loop_arg(turn, &p, 0, 0);
}
