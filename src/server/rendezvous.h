#pragma once

// What the rendezvous server does with each datagram it receives: registrations and their codes,
// joins and their introductions, relay requests, and the forwarding of a relayed pair's datagrams.
// Answers go only to the datagram's source, introductions only to the two sides of a code, relayed
// datagrams only between the two endpoints of a pair that both asked for it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "net/rendezvous_message.h"
#include "server/code_table.h"
#include "server/rate_limiter.h"
#include "server/relay_table.h"
#include "server/server_config.h"

class CDatagramSink {
  public:
    virtual void send(const rdv::endpoint& to, const std::uint8_t* data, std::size_t size) = 0;

  protected:
    ~CDatagramSink() = default;
};

class CRendezvous {
  public:
    // `log` takes one line per event; nullptr: none.
    CRendezvous(const server_config& config, std::FILE* log);

    // `size` may exceed rdv::MAX_DATAGRAM (the reader saw a truncated datagram): it is dropped.
    void receive(const std::uint8_t* data, std::size_t size, const rdv::endpoint& from, std::int64_t now_ms,
                 CDatagramSink& out);
    // Codes past their lifetime, introductions and relays gone quiet. Called about once a second.
    void expire(std::int64_t now_ms);

    std::size_t hosts() const { return codes_.size(); }
    std::size_t relays() const { return relays_.size(); }
    std::size_t table_bytes() const;

  private:
    void on_register(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms,
                     CDatagramSink& out);
    void on_unregister(const rdv::endpoint& from);
    void on_join(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms, CDatagramSink& out);
    void on_relay(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms, CDatagramSink& out);
    void on_ping(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms, CDatagramSink& out);
    void forward(const std::uint8_t* data, std::size_t size, const rdv::endpoint& from, std::int64_t now_ms,
                 CDatagramSink& out);
    // False when the source is over its rate: then it may have been told so.
    bool allowed(const rdv::endpoint& from, std::int64_t now_ms, CDatagramSink& out);
    void introduce(const host_record& h, CDatagramSink& out);
    void start_relay(host_record& h, std::int64_t now_ms, CDatagramSink& out);
    void end_relay(relay_pair& p, const char* why);
    void drop_host_if_done(host_record& h);
    std::string fresh_code() const;
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    server_config config_;
    std::FILE* log_;
    CRateLimiter rate_;
    CCodeTable codes_;
    CRelayTable relays_;
    // Datagrams dropped since the last summary line, by why.
    std::uint64_t oversized_ = 0;
    std::uint64_t malformed_ = 0;
    std::uint64_t unmatched_ = 0;
    std::int64_t summary_ms_ = 0;
};
