#pragma once

// The registered hosts: one record per peer, found by that peer, by its invite code and by the token of
// its latest introduction. The record outlives its code only while that introduction may still turn
// into a relay, so that a host that stops taking joiners can still be relayed; a code, once gone, is
// never found again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/rendezvous_message.h"
#include "server/fixed_index.h"
#include "server/peer.h"
#include "server/token_bucket.h"

struct host_record {
    bool used = false;
    peer seen;
    std::string code;  // empty once the code is gone
    rdv::endpoint mapped;
    std::vector<rdv::endpoint> locals;
    std::int64_t registered_ms = 0;
    CTokenBucket introductions;  // of new joiners
    // The latest introduction (token 0: none) and which of its sides asked to be relayed.
    std::uint64_t token = 0;
    peer joiner;
    std::vector<rdv::endpoint> joiner_locals;
    std::int64_t introduced_ms = 0;
    bool host_asked = false;
    bool joiner_asked = false;
};

class CCodeTable {
  public:
    CCodeTable(std::size_t capacity, std::uint64_t salt);

    host_record* by_peer(const peer& seen);
    host_record* by_code(const std::string& code);
    host_record* by_token(std::uint64_t token);
    bool code_taken(const std::string& code) const;

    // A new record with its code; nullptr when the table is full.
    host_record* add(const peer& seen, const std::string& code);
    void set_code(host_record& h, const std::string& code);
    void close(host_record& h);  // the code goes, the record stays for its introduction
    void introduce(host_record& h, std::uint64_t token, const peer& joiner,
                   const std::vector<rdv::endpoint>& joiner_locals, std::int64_t now_ms);
    void end_introduction(host_record& h);
    void remove(host_record& h);

    std::size_t size() const { return count_; }   // records, with a code or not
    std::size_t codes() const { return codes_; }  // records with a code: the hosts a joiner can find
    std::size_t capacity() const { return records_.size(); }
    std::size_t bytes() const;
    host_record& at(std::size_t slot) { return records_[slot]; }

  private:
    std::uint32_t slot_of(const host_record& h) const {
        return static_cast<std::uint32_t>(&h - records_.data());
    }

    std::vector<host_record> records_;
    std::vector<std::uint32_t> free_;
    std::size_t count_ = 0;
    std::size_t codes_ = 0;
    CFixedIndex by_peer_;
    CFixedIndex by_code_;
    CFixedIndex by_token_;
};
