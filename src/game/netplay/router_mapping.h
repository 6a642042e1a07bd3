#pragma once

// The router's port mapping for a hosted game: asked, and renewed before its lease runs out, in a
// thread of its own, since a router may take seconds to answer and the screen must not freeze
// meanwhile; removed when the game ends.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "net/port_mapping.h"
#include "net/rendezvous_message.h"

class CRouterMapping {
  public:
    CRouterMapping() = default;
    // Waits for the router's answer, then removes the mapping.
    ~CRouterMapping();
    CRouterMapping(const CRouterMapping&) = delete;
    CRouterMapping& operator=(const CRouterMapping&) = delete;

    void start(std::uint16_t port);
    // Renews the lease when half of it has gone; called now and then.
    void poll();
    bool finished() const { return !busy_; }
    // While not busy: the public address the router gave (0:0 for none) and how it was asked
    // ("UPnP IGD", "NAT-PMP"; "" for none).
    rdv::endpoint external() const;
    std::string method() const;

  private:
    void ask(bool renewal);

    CPortMapping mapping_;
    std::thread asking_;
    std::atomic<bool> busy_{false};
    std::uint16_t port_ = 0;
    bool mapped_ = false;  // written by the thread before busy_ goes false
    std::string error_;    // what the router said, kept for the thread's calls
};
