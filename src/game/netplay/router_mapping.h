#pragma once

// The router's port mapping for a hosted game: asked in a thread of its own, since a router may take
// seconds to answer and the screen must not freeze meanwhile, and removed when the game ends.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "net/rendezvous_message.h"

class CRouterMapping {
  public:
    CRouterMapping();
    // Waits for the asking to end, then removes the mapping.
    ~CRouterMapping();
    CRouterMapping(const CRouterMapping&) = delete;
    CRouterMapping& operator=(const CRouterMapping&) = delete;

    void start(std::uint16_t port);
    bool finished() const { return finished_; }
    // Once finished: the public address the router gave (0:0 for none), how it was asked
    // ("UPnP IGD", "NAT-PMP"; "" for none) and otherwise why not.
    rdv::endpoint external() const;
    std::string method() const;
    std::string error() const;

  private:
    struct router;
    std::unique_ptr<router> router_;
    std::thread asking_;
    std::atomic<bool> finished_{false};
    bool mapped_ = false;  // written by the thread before finished_
    std::string error_;
};
