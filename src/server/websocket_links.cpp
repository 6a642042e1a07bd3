#include "server/websocket_links.h"

#include <utility>

#include "server/forwarded_address.h"

CWebSocketLinks::CWebSocketLinks(const server_config& config, std::size_t headroom, std::uint64_t salt)
    : links_(config.max_websockets),
      by_link_(config.max_websockets, salt),
      by_handle_(config.max_websockets, salt * 17 + 11),
      quota_(config.max_websockets, config.websockets_per_address, config.websockets_per_network,
             salt * 13 + 7),
      proxy_(config.websocket_proxy),
      salt_(salt),
      idle_ms_(static_cast<std::int64_t>(config.websocket_idle_s) * 1000) {
    std::string error;
    // The configuration was checked when it was read.
    origins_.parse(config.websocket_origins, error);
    budget_.limit = config.websocket_buffer_bytes;
    free_.reserve(links_.size());
    for (std::size_t i = links_.size(); i-- > 0;) {
        links_[i].waiting.charge_to(&budget_, config.websocket_queue_bytes, headroom);
        free_.push_back(static_cast<std::uint32_t>(i));
    }
}

std::size_t CWebSocketLinks::table_bytes() const {
    return links_.size() * sizeof(websocket_link) + free_.capacity() * sizeof(std::uint32_t) +
           by_link_.bytes() + by_handle_.bytes() + quota_.bytes();
}

namespace {

std::uint64_t handle_key(void* handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace

bool CWebSocketLinks::find(void* handle, std::uint32_t& slot) const {
    return by_handle_.find(handle_key(handle), slot);
}

bool CWebSocketLinks::take_place(std::uint32_t address) {
    if (!quota_.allows(address))
        return false;
    quota_.take(address);
    return true;
}

CWebSocketLinks::admission CWebSocketLinks::accept(const rdv::endpoint& from, void* handle,
                                                   std::int64_t now_ms, std::uint32_t& slot) {
    // A proxy's connections count in all only: each is counted against its client at the handshake.
    const bool proxied = proxy_ != 0 && from.address == proxy_;
    if (free_.empty() || (!proxied && !take_place(from.address))) {
        ++counts_.refused;
        return free_.empty() ? FULL : ADDRESS_FULL;
    }
    slot = free_.back();
    free_.pop_back();
    ++count_;
    websocket_link& l = links_[slot];
    l.used = true;
    l.handle = handle;
    l.counted = proxied ? 0 : from.address;
    l.heard_ms = now_ms;
    // Numbers go round only after four billion connections; 0 is UDP's.
    if (next_link_ == 0)
        next_link_ = 1;
    l.who = websocket_peer(from, next_link_++);
    by_link_.insert(l.who.link, slot);
    by_handle_.insert(handle_key(handle), slot);
    return ADMITTED;
}

CWebSocketLinks::admission CWebSocketLinks::handshake(std::uint32_t slot, const char* origin,
                                                      std::size_t origin_size, const char* forwarded,
                                                      std::size_t forwarded_size) {
    websocket_link& l = links_[slot];
    if (!origins_.allows(origin, origin_size)) {
        ++counts_.other_origin;
        return OTHER_ORIGIN;
    }
    if (l.counted == 0) {
        std::uint32_t client = 0;
        if (!forwarded_address(forwarded, forwarded_size, salt_, client)) {
            ++counts_.refused;
            return NO_CLIENT_ADDRESS;
        }
        if (!take_place(client)) {
            ++counts_.refused;
            return ADDRESS_FULL;
        }
        l.counted = client;
        l.who.at.address = client;
    }
    l.admitted = true;
    ++counts_.opened;
    return ADMITTED;
}

CWebSocketLinks::verdict CWebSocketLinks::receive(std::uint32_t slot, const std::uint8_t* data,
                                                  std::size_t size, bool first, bool last, bool binary,
                                                  std::int64_t now_ms, const std::uint8_t*& message,
                                                  std::size_t& message_size) {
    websocket_link& l = links_[slot];
    if (l.closing)
        return INCOMPLETE;
    l.heard_ms = now_ms;
    if (!binary) {
        ++counts_.not_binary;
        return NOT_BINARY;
    }
    if (first)
        l.pieces.clear();
    if (first && last) {
        message = data;
        message_size = size;
    } else {
        if (l.pieces.size() + size <= rdv::MAX_DATAGRAM)
            l.pieces.insert(l.pieces.end(), data, data + size);
        else
            l.pieces.resize(rdv::MAX_DATAGRAM + 1);
        message = l.pieces.data();
        message_size = l.pieces.size();
    }
    if (message_size > rdv::MAX_DATAGRAM) {
        ++counts_.too_large;
        return TOO_LARGE;
    }
    return last ? COMPLETE : INCOMPLETE;
}

bool CWebSocketLinks::open_link(std::uint32_t link, std::uint32_t& slot) const {
    return by_link_.find(link, slot) && links_[slot].admitted && !links_[slot].closing;
}

bool CWebSocketLinks::queue(std::uint32_t slot, const std::uint8_t* data, std::size_t size) {
    CDatagramQueue& waiting = links_[slot].waiting;
    const bool was_empty = waiting.empty();
    if (!waiting.push(data, size)) {
        ++counts_.dropped;
        return false;
    }
    return was_empty;
}

bool CWebSocketLinks::close(std::uint32_t slot, peer& who) {
    websocket_link& l = links_[slot];
    if (l.counted != 0)
        quota_.give_back(l.counted);
    by_link_.erase(l.who.link);
    by_handle_.erase(handle_key(l.handle));
    l.waiting.clear();
    std::vector<std::uint8_t>().swap(l.pieces);
    const bool admitted = l.admitted;
    who = l.who;
    l.used = l.admitted = l.closing = false;
    l.handle = nullptr;
    l.counted = 0;
    free_.push_back(slot);
    --count_;
    return admitted;
}

void CWebSocketLinks::idle(std::int64_t now_ms, std::vector<void*>& handles) {
    for (websocket_link& l : links_) {
        if (!l.used || l.closing || now_ms - l.heard_ms <= idle_ms_)
            continue;
        l.closing = true;
        l.waiting.clear();
        ++counts_.idle;
        handles.push_back(l.handle);
    }
}

CWebSocketLinks::counts CWebSocketLinks::take_counts() {
    return std::exchange(counts_, counts());
}
