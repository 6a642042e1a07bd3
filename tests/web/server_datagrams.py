#!/usr/bin/python3
"""The browser's datagram socket against the real rendezvous server: a page of the tests hosts with the game's
own rendezvous client over a WebSocket, a UDP joiner of the test's joins by the code it shows, both are told to
ask for the relay at once, and datagrams go through the relay both ways. A page whose server is not there sees
its socket closed with a reason, and its client gives up within its time."""
import os
import socket
import subprocess
import time
import unittest

from page_session import Browser, PageServer, WEB_BUILD, main, missing

PAGES = os.path.join(WEB_BUILD, "test-pages")
SERVER_PROGRAM = os.environ.get("ZELVORANT_SERVER_PROGRAM", "")
# The rendezvous messages the joiner needs, as the game writes them: "ZVR", the version, the kind, and for
# a request the cookie the server last gave.
PREFIX = b"ZVR\x02"
JOIN, INTRODUCE, RELAY, RELAYING, COOKIE = 4, 5, 7, 8, 12
# The rendezvous client's phases the page shows.
READY, FAILED = 6, 7


class RendezvousServer:
    """zelvorant-server on free UDP and WebSocket ports of 127.0.0.1."""

    def __init__(self):
        if not os.path.isfile(SERVER_PROGRAM):
            missing("the server program (ZELVORANT_SERVER_PROGRAM=%r)" % SERVER_PROGRAM)
        self.process = subprocess.Popen([SERVER_PROGRAM, "--address", "127.0.0.1", "--port", "0",
                                         "--websocket-port", "0"], stderr=subprocess.PIPE, text=True)
        self.port = self.websocket_port = 0
        while not (self.port and self.websocket_port):
            line = self.process.stderr.readline()
            if not line:
                raise AssertionError("the server stopped before it listened")
            if line.startswith("listening on "):
                self.port = int(line.split(":")[1])
            elif line.startswith("listening for ws on "):
                self.websocket_port = int(line.split(":")[1])

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.process.stderr.close()


class UdpJoiner:
    def __init__(self, server_port):
        self.server = ("127.0.0.1", server_port)
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.socket.bind(("127.0.0.1", 0))
        self.socket.settimeout(0.5)
        self.cookie = bytes(16)

    def receive(self):
        try:
            return self.socket.recv(2048)
        except socket.timeout:
            return None

    def request(self, kind, body, answer, seconds=10):
        """Sends the request until the server answers it with `answer`, taking each cookie it gives."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.socket.sendto(PREFIX + bytes([kind]) + self.cookie + body, self.server)
            while True:
                d = self.receive()
                if d is None:
                    break
                if d[:4] == PREFIX and d[4] == COOKIE:
                    self.cookie = d[5:21]
                    break
                if d[:4] == PREFIX and d[4] == answer:
                    return d
        raise AssertionError("no answer %d to request %d in %d s" % (answer, kind, seconds))

    def relayed(self, datagram, seconds=10):
        """Sends a match's datagram through the relay until something not the server's comes back."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.socket.sendto(datagram, self.server)
            d = self.receive()
            if d is not None and d[:4] != PREFIX:
                return d
        return None


class ServerDatagrams(unittest.TestCase):
    def setUp(self):
        self.pages = PageServer(PAGES, "datagram_page.html")
        self.addCleanup(self.pages.stop)
        self.browser = Browser()
        self.addCleanup(self.browser.quit)

    def page_state(self):
        return self.browser.script("return window.pageState || null;")

    def test_a_page_hosts_a_udp_joiner_relayed_both_ways(self):
        server = RendezvousServer()
        self.addCleanup(server.stop)
        self.browser.open("%s/datagram_page.html?server=ws://127.0.0.1:%d/zelvorant"
                          % (self.pages.url.rstrip("/"), server.websocket_port))
        code = self.browser.wait_for(lambda: (self.page_state() or {}).get("code"), "the page's code", 30)
        print("the page registered through its WebSocket: code %s" % code)

        joiner = UdpJoiner(server.port)
        self.addCleanup(joiner.socket.close)
        introduction = joiner.request(JOIN, code.encode() + b"\x00", INTRODUCE)
        self.assertEqual(introduction[26], 1, "the joiner is told that the host is reached through the server only")
        joiner.request(RELAY, introduction[5:13], RELAYING)

        echo = joiner.relayed(b"\x01hi")
        self.assertEqual(echo, b"echo \x01hi")
        state = self.browser.wait_for(lambda: (lambda s: s if s and s["phase"] == READY else None)(self.page_state()),
                                      "the page's client ready", 10)
        self.assertEqual(state["path"], "relayed")
        self.assertEqual(state["closed"], "")
        self.assertGreaterEqual(state["echoed"], 1)

    def test_a_page_without_its_server_is_told_why(self):
        unused = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        unused.bind(("127.0.0.1", 0))
        port = unused.getsockname()[1]
        unused.close()
        self.browser.open("%s/datagram_page.html?server=ws://127.0.0.1:%d/" % (self.pages.url.rstrip("/"), port))
        state = self.browser.wait_for(lambda: (lambda s: s if s and s["phase"] == FAILED else None)(self.page_state()),
                                      "the page's client to give up", 20)
        self.assertNotEqual(state["closed"], "")
        self.assertNotEqual(state["error"], "")
        print("closed: %s; the client: %s" % (state["closed"], state["error"]))


if __name__ == "__main__":
    main()
