// A real browser (headless Chromium) on the server's WebSocket port, following the contract a
// browser's game follows: subprotocol "zelvorant", binary messages of one datagram each. Its page joins
// a UDP host by code with the same cookie exchange, asks for the relay at once as the introduction
// says, and sends and echoes the match's datagrams through the relay.
#include <gtest/gtest.h>

#include <string>

#include "needs.h"
#include "program_run.h"
#include "rendezvous_exchanges.h"
#include "scratch_folder.h"
#include "served_rendezvous.h"

namespace {

// The page: the rendezvous messages it needs, written by hand as a browser's client writes them.
const char* const PAGE = R"(<!doctype html>
<meta charset="utf-8">
<script>
const q = new URLSearchParams(location.search);
const ws = new WebSocket("ws://127.0.0.1:" + q.get("port") + "/zelvorant", "zelvorant");
ws.binaryType = "arraybuffer";
let cookie = new Uint8Array(16);
let pending = null;
const request = (kind, body) => {
  pending = [kind, body];
  ws.send(new Uint8Array([0x5a, 0x56, 0x52, 2, kind, ...cookie, ...body]));
};
ws.onopen = () => request(4, [...new TextEncoder().encode(q.get("code")), 0]);  // JOIN, no locals
ws.onmessage = (event) => {
  const b = new Uint8Array(event.data);
  if (b[0] !== 0x5a) {  // the host's datagram, through the relay: back with "echo "
    ws.send(new Uint8Array([1, ...new TextEncoder().encode("echo "), ...b.slice(1)]));
    return;
  }
  if (b[4] === 12) {  // COOKIE: the request again, with it
    cookie = b.slice(5, 21);
    request(...pending);
  } else if (b[4] === 5 && b[26] === 1) {  // INTRODUCE, reached through the server only: RELAY
    request(7, [...b.slice(5, 13)]);
  } else if (b[4] === 8) {  // RELAYING: the match's first datagram
    ws.send(new Uint8Array([1, 104, 105]));
  }
};
</script>
)";

bool chromium_available() {
    return std::system("chromium --version >/dev/null 2>&1") == 0;
}

}  // namespace

TEST(WebSocketBrowser, AHeadlessChromiumJoinsAUdpHostAndIsRelayedBothWays) {
    NEEDS(chromium_available(), "chromium");
    server_config c = roomy();
    c.websocket = true;
    CServedRendezvous server(c);
    ASSERT_TRUE(server.ready());
    CRendezvousSide host;
    const std::string code = registered(host, server.port());
    ASSERT_FALSE(code.empty());

    const std::string folder = scratch_dir("websocket_browser");
    write_text(folder + "/page.html", PAGE);
    CProgramRun browser(folder);
    ASSERT_TRUE(browser.start("/usr/bin/chromium", false,
                              {"--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                               "--user-data-dir=" + folder + "/profile",
                               "file://" + folder + "/page.html?port=" +
                                   std::to_string(server.websocket_port()) + "&code=" + code}));

    // The browser joins by code, told that it is reached through the server only, as the host is.
    rdv::message introduction;
    ASSERT_TRUE(host.receive(introduction, 30)) << browser.errors();
    ASSERT_EQ(introduction.kind, rdv::INTRODUCE);
    EXPECT_EQ(introduction.relay_only, 1);
    rdv::message relaying;
    ASSERT_TRUE(host.request(server.port(), with_token(rdv::RELAY, introduction.token), relaying, 10));
    EXPECT_EQ(relaying.kind, rdv::RELAYING);

    std::vector<std::uint8_t> datagram;
    std::uint16_t from = 0;
    ASSERT_TRUE(host.receive_raw(datagram, from, 10));
    EXPECT_EQ(from, server.port());
    EXPECT_EQ(datagram, (std::vector<std::uint8_t>{1, 'h', 'i'}));
    host.send_raw(server.port(), {1, 'x', 'y'});
    ASSERT_TRUE(host.receive_raw(datagram, from, 10));
    EXPECT_EQ(std::string(datagram.begin() + 1, datagram.end()), "echo xy");
}
