#include "net/websocket_datagrams.h"

#include <emscripten.h>

#include "net/rendezvous_message.h"

// The connections live on the JavaScript side, in a table of the module's, found by number: the
// WebSocket, what came and waits to be read, what waits for the connection to open.
namespace {

// The functions' bodies are JavaScript, left as written.
// clang-format off
EM_JS(int, datagrams_open, (const char* url, int inbox, int outbox), {
    const table = Module.zelvorantDatagrams || (Module.zelvorantDatagrams = []);
    const s = {inbox: [], outbox: [], open: false, closed: false, why: "", dropped: 0};
    const id = table.length;
    table.push(s);
    try {
        s.ws = new WebSocket(UTF8ToString(url), "zelvorant");
    } catch (e) {
        s.closed = true;
        s.why = String(e.message);
        return id;
    }
    s.ws.binaryType = "arraybuffer";
    s.ws.onopen = () => {
        s.open = true;
        for (const d of s.outbox)
            s.ws.send(d);
        s.outbox = [];
    };
    s.ws.onmessage = (e) => {
        if (typeof e.data === "string" || s.inbox.length >= inbox)
            s.dropped++;
        else
            s.inbox.push(new Uint8Array(e.data));
    };
    s.ws.onclose = (e) => {
        s.closed = true;
        s.why = (e.reason || (s.open ? "the server closed the connection" : "no WebSocket server there")) +
                " (status " + e.code + ")";
    };
    return id;
});

EM_JS(int, datagrams_status, (int id), {
    const s = Module.zelvorantDatagrams[id];
    return s.closed ? 2 : s.open ? 1 : 0;
});

EM_JS(void, datagrams_why, (int id, char* out, int capacity), {
    stringToUTF8(Module.zelvorantDatagrams[id].why, out, capacity);
});

EM_JS(int, datagrams_send, (int id, const std::uint8_t* data, int size, int outbox), {
    const s = Module.zelvorantDatagrams[id];
    const copy = HEAPU8.slice(data, data + size);
    if (s.closed)
        return 0;
    if (s.open) {
        s.ws.send(copy);
        return 1;
    }
    if (s.outbox.length >= outbox) {
        s.dropped++;
        return 0;
    }
    s.outbox.push(copy);
    return 1;
});

EM_JS(int, datagrams_receive, (int id, std::uint8_t* buffer, int capacity), {
    const s = Module.zelvorantDatagrams[id];
    while (s.inbox.length > 0) {
        const d = s.inbox.shift();
        if (d.length <= capacity) {
            HEAPU8.set(d, buffer);
            return d.length;
        }
        s.dropped++;
    }
    return 0;
});

EM_JS(int, datagrams_dropped, (int id), { return Module.zelvorantDatagrams[id].dropped; });

EM_JS(void, datagrams_close, (int id), {
    const s = Module.zelvorantDatagrams[id];
    if (s.ws)
        s.ws.close();
    Module.zelvorantDatagrams[id] = {closed: true, why: "closed by the game", dropped: s.dropped};
});

// clang-format on

}  // namespace

CWebSocketDatagrams::CWebSocketDatagrams(const std::string& url)
    : id_(datagrams_open(url.c_str(), INBOX, OUTBOX)) {}

CWebSocketDatagrams::~CWebSocketDatagrams() {
    datagrams_close(id_);
}

CWebSocketDatagrams::state CWebSocketDatagrams::status() const {
    return static_cast<state>(datagrams_status(id_));
}

std::string CWebSocketDatagrams::closed_why() const {
    char why[256] = "";
    datagrams_why(id_, why, sizeof why);
    return why;
}

bool CWebSocketDatagrams::send(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > rdv::MAX_DATAGRAM)
        return false;
    return datagrams_send(id_, data, static_cast<int>(size), OUTBOX) != 0;
}

std::size_t CWebSocketDatagrams::receive(std::uint8_t* buffer, std::size_t capacity) {
    return static_cast<std::size_t>(datagrams_receive(id_, buffer, static_cast<int>(capacity)));
}

int CWebSocketDatagrams::dropped() const {
    return datagrams_dropped(id_);
}
