#pragma once

// The WebSocket connections the server holds, apart from the library that carries them: a table of
// fixed size, each connection a peer of its own (transport WEBSOCKET, a number never given twice),
// admitted within limits in all, per address and per network, from the pages the origin list names,
// with the datagrams waiting to go to it and the message it is sending in pieces. A connection from a
// trusted reverse proxy counts against the address the proxy names for its client. Every message is
// one datagram: binary, no larger than the server reads on UDP, or the connection is closed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "server/datagram_queue.h"
#include "server/fixed_index.h"
#include "server/origin_list.h"
#include "server/peer.h"
#include "server/quota.h"
#include "server/server_config.h"

struct websocket_link {
    bool used = false;
    bool admitted = false;   // its handshake was accepted: it is a peer
    bool closing = false;    // asked to close: nothing more goes to it
    void* handle = nullptr;  // the library's connection
    peer who;
    std::uint32_t counted = 0;  // the address its place is counted against; 0: none
    std::int64_t heard_ms = 0;
    CDatagramQueue waiting;
    std::vector<std::uint8_t> pieces;  // a message arriving in pieces, until its last
};

class CWebSocketLinks {
  public:
    enum admission { ADMITTED, FULL, ADDRESS_FULL, OTHER_ORIGIN, NO_CLIENT_ADDRESS };
    enum verdict { INCOMPLETE, COMPLETE, TOO_LARGE, NOT_BINARY };

    // `headroom`: bytes the library writes before each datagram it sends.
    CWebSocketLinks(const server_config& config, std::size_t headroom, std::uint64_t salt);

    // A TCP connection accepted from `from`, before anything is read from it: its slot in `slot` when
    // admitted. `handle` (the library's connection) finds it from then on.
    admission accept(const rdv::endpoint& from, void* handle, std::int64_t now_ms, std::uint32_t& slot);
    bool find(void* handle, std::uint32_t& slot) const;
    // Its handshake, with the Origin and X-Forwarded-For headers it carried (size 0: none). Admitted,
    // the connection is a peer.
    admission handshake(std::uint32_t slot, const char* origin, std::size_t origin_size,
                        const char* forwarded, std::size_t forwarded_size);
    // A piece of a message, which may be all of it; when it completes the message, the message is in
    // `message` (valid until the next call).
    verdict receive(std::uint32_t slot, const std::uint8_t* data, std::size_t size, bool first, bool last,
                    bool binary, std::int64_t now_ms, const std::uint8_t*& message,
                    std::size_t& message_size);
    // The slot of the connection of peer `link` while datagrams may go to it: admitted, not closing.
    bool open_link(std::uint32_t link, std::uint32_t& slot) const;
    // A datagram to wait for the connection in `slot` to take it; true when it is the only one waiting
    // (the connection is to be asked to write). Beyond the queue's limits it is dropped, and counted.
    bool queue(std::uint32_t slot, const std::uint8_t* data, std::size_t size);
    CDatagramQueue& waiting(std::uint32_t slot) { return links_[slot].waiting; }
    // The connection has gone: its places are given back. Its peer in `who` when it was admitted.
    bool close(std::uint32_t slot, peer& who);
    // Connections that sent nothing for the idle time, now closing: their handles.
    void idle(std::int64_t now_ms, std::vector<void*>& handles);

    const websocket_link& at(std::uint32_t slot) const { return links_[slot]; }
    std::size_t size() const { return count_; }
    std::size_t capacity() const { return links_.size(); }
    std::size_t waiting_bytes() const { return budget_.used; }
    std::size_t table_bytes() const;

    // Since the last look, for the log's summary.
    struct counts {
        std::uint64_t opened = 0;
        std::uint64_t refused = 0;
        std::uint64_t other_origin = 0;
        std::uint64_t too_large = 0;
        std::uint64_t not_binary = 0;
        std::uint64_t idle = 0;
        std::uint64_t dropped = 0;  // datagrams for slow readers
    };
    counts take_counts();

  private:
    bool take_place(std::uint32_t address);

    std::vector<websocket_link> links_;
    std::vector<std::uint32_t> free_;
    std::size_t count_ = 0;
    std::uint32_t next_link_ = 1;
    CFixedIndex by_link_;
    CFixedIndex by_handle_;
    CQuota quota_;
    COriginList origins_;
    std::uint32_t proxy_;
    std::uint64_t salt_;
    std::int64_t idle_ms_;
    queue_budget budget_;
    counts counts_;
};
