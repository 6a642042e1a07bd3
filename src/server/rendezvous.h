#pragma once

// What the rendezvous server does with each datagram it receives: registrations and their codes,
// joins and their introductions, relay requests, and the forwarding of a relayed pair's datagrams.
// A request is acted on only once its cookie proves that its sender receives at its address; until
// then it gets a COOKIE, no larger than itself, and the server keeps nothing for it. Proven senders
// hold places within quotas per address and per network, and spend a budget per address with every
// request. Answers go only to the datagram's source, introductions only to the two sides of a code,
// relayed datagrams only between the two peers of a pair that both asked for it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/rendezvous_message.h"
#include "server/address_proof.h"
#include "server/code_table.h"
#include "server/event_log.h"
#include "server/peer.h"
#include "server/quota.h"
#include "server/rate_limiter.h"
#include "server/relay_table.h"
#include "server/server_config.h"

class CDatagramSink {
  public:
    virtual void send(const peer& to, const std::uint8_t* data, std::size_t size) = 0;

  protected:
    ~CDatagramSink() = default;
};

class CRendezvous {
  public:
    // How long a cookie is made for: it proves its peer for this window and the next.
    static constexpr std::int64_t COOKIE_WINDOW_MS = 30 * 1000;
    // How long an introduction may turn into a relay: the sides' probes and relay requests, with room.
    static constexpr std::int64_t INTRODUCTION_MS = 15 * 1000;
    // New joiners introduced to one host: three at once, then one every three seconds.
    static constexpr token_rate INTRODUCTIONS = {1000 / 3, 3};

    // `log` takes the events; nullptr: none.
    CRendezvous(const server_config& config, CEventLog* log);

    // `size` may exceed rdv::MAX_DATAGRAM (the reader saw a truncated datagram): it is dropped.
    void receive(const std::uint8_t* data, std::size_t size, const peer& from, std::int64_t now_ms,
                 CDatagramSink& out);
    // Codes past their lifetime, introductions and relays gone quiet, the log's summaries. Called about
    // once a second.
    void expire(std::int64_t now_ms);

    // Hosts whose code a joiner can find.
    std::size_t hosts() const { return codes_.codes(); }
    // Records held: those hosts, and the hosts that gave their code up while an introduction of theirs
    // may still be relayed.
    std::size_t host_records() const { return codes_.size(); }
    std::size_t relays() const { return relays_.size(); }
    std::size_t table_bytes() const;

  private:
    void on_request(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out);
    void on_register(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out);
    void on_unregister(const peer& from);
    void on_join(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out);
    void on_relay(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out);
    void on_ping(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out);
    void on_other_version(const std::uint8_t* data, std::size_t size, const peer& from, CDatagramSink& out);
    void forward(const std::uint8_t* data, std::size_t size, const peer& from, std::int64_t now_ms,
                 CDatagramSink& out);
    // False when the source is over its rate: then it may have been told so. `join`: a registration or
    // a join, which has a budget of its own besides.
    bool allowed(const peer& from, bool join, std::int64_t now_ms, CDatagramSink& out);
    void introduce(const host_record& h, CDatagramSink& out);
    void start_relay(host_record& h, std::int64_t now_ms, CDatagramSink& out);
    bool relay_quota_allows(const peer& a, const peer& b) const;
    void change_relay_quota(const peer& a, const peer& b, bool take);
    void end_relay(relay_pair& p, const char* why);
    void drop_host_if_done(host_record& h);
    void refuse(CDatagramSink& out, const peer& to, rdv::reason why);
    std::string fresh_code() const;
    void log(log_topic topic, const char* format, ...) __attribute__((format(printf, 3, 4)));

    server_config config_;
    CEventLog* log_;
    CAddressProof proof_;
    CRateLimiter rate_;
    CCodeTable codes_;
    CRelayTable relays_;
    CQuota host_quota_;
    CQuota relay_quota_;
    // Datagrams dropped or answered without proof since the last summary line, by why.
    std::uint64_t oversized_ = 0;
    std::uint64_t malformed_ = 0;
    std::uint64_t unmatched_ = 0;
    std::uint64_t unproven_ = 0;
    std::uint64_t over_rate_ = 0;
    std::int64_t summary_ms_ = 0;
};
