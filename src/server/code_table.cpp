#include "server/code_table.h"

namespace {

std::uint64_t code_key(const std::string& code) {
    std::uint64_t key = 0;
    for (char c : code)
        key = key << 8 | static_cast<unsigned char>(c);
    return key;
}

}  // namespace

CCodeTable::CCodeTable(std::size_t capacity, std::uint64_t salt)
    : records_(capacity),
      by_peer_(capacity, salt),
      by_code_(capacity, salt * 3 + 1),
      by_token_(capacity, salt * 5 + 2) {
    // Room for every record's vectors now: nothing grows while datagrams arrive.
    free_.reserve(capacity);
    for (std::size_t i = capacity; i-- > 0;) {
        records_[i].code.reserve(rdv::CODE_LENGTH);
        records_[i].locals.reserve(rdv::MAX_ENDPOINTS);
        records_[i].joiner_locals.reserve(rdv::MAX_ENDPOINTS);
        free_.push_back(static_cast<std::uint32_t>(i));
    }
}

host_record* CCodeTable::by_peer(const peer& seen) {
    std::uint32_t slot = 0;
    return by_peer_.find(peer_key(seen), slot) ? &records_[slot] : nullptr;
}

host_record* CCodeTable::by_code(const std::string& code) {
    std::uint32_t slot = 0;
    return by_code_.find(code_key(code), slot) ? &records_[slot] : nullptr;
}

host_record* CCodeTable::by_token(std::uint64_t token) {
    std::uint32_t slot = 0;
    return token != 0 && by_token_.find(token, slot) ? &records_[slot] : nullptr;
}

bool CCodeTable::code_taken(const std::string& code) const {
    std::uint32_t slot = 0;
    return by_code_.find(code_key(code), slot);
}

host_record* CCodeTable::add(const peer& seen, const std::string& code) {
    if (free_.empty())
        return nullptr;
    host_record& h = records_[free_.back()];
    free_.pop_back();
    ++count_;
    h.used = true;
    h.seen = seen;
    h.mapped = rdv::endpoint();
    h.locals.clear();
    h.token = 0;
    h.host_asked = h.joiner_asked = false;
    by_peer_.insert(peer_key(seen), slot_of(h));
    set_code(h, code);
    return &h;
}

void CCodeTable::set_code(host_record& h, const std::string& code) {
    close(h);
    h.code.assign(code);
    by_code_.insert(code_key(code), slot_of(h));
    ++codes_;
}

void CCodeTable::close(host_record& h) {
    if (h.code.empty())
        return;
    by_code_.erase(code_key(h.code));
    h.code.clear();
    --codes_;
}

void CCodeTable::introduce(host_record& h, std::uint64_t token, const peer& joiner,
                           const std::vector<rdv::endpoint>& joiner_locals, std::int64_t now_ms) {
    end_introduction(h);
    h.token = token;
    h.joiner = joiner;
    h.joiner_locals.assign(joiner_locals.begin(), joiner_locals.end());
    h.introduced_ms = now_ms;
    by_token_.insert(token, slot_of(h));
}

void CCodeTable::end_introduction(host_record& h) {
    if (h.token != 0)
        by_token_.erase(h.token);
    h.token = 0;
    h.host_asked = h.joiner_asked = false;
}

void CCodeTable::remove(host_record& h) {
    close(h);
    end_introduction(h);
    by_peer_.erase(peer_key(h.seen));
    h.used = false;
    free_.push_back(slot_of(h));
    --count_;
}

std::size_t CCodeTable::bytes() const {
    return records_.size() *
               (sizeof(host_record) + rdv::CODE_LENGTH + 2 * rdv::MAX_ENDPOINTS * sizeof(rdv::endpoint)) +
           free_.capacity() * sizeof(std::uint32_t) + by_peer_.bytes() + by_code_.bytes() + by_token_.bytes();
}
