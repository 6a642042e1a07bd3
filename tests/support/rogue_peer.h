#pragma once

// A joining player driven by hand over 127.0.0.1: it greets a host as this build does, then says
// only what a test makes it say, and keeps what the host tells it.
#include <cstdint>
#include <string>
#include <vector>

#include "net/link.h"
#include "net/message.h"

class CRoguePeer {
  public:
    // Connects to the host's port and greets it with `program` and `rules`.
    CRoguePeer(std::uint16_t host_port, const std::string& program, std::uint64_t rules);

    // Sends and receives for up to `milliseconds`.
    void service(int milliseconds);
    void send(const netmsg::message& m, CNetLink::delivery how = CNetLink::RELIABLE);
    void send(const std::vector<std::uint8_t>& bytes);
    // Commands for the steps from `from` to before `until`, knowing the host's before `ack`.
    void send_inputs(std::uint32_t from, std::uint32_t until, std::uint32_t ack,
                     const std::vector<netmsg::timed_input>& inputs = {});

    bool welcomed = false;
    bool gone = false;
    std::uint32_t host_until = 0;                  // the host's commands are final before this step
    std::vector<netmsg::timed_input> host_inputs;  // every host command seen, once
    std::vector<netmsg::message> refusals;

  private:
    CNetLink link_;
    int peer_ = -1;
    std::string program_;
    std::uint64_t rules_;
};
