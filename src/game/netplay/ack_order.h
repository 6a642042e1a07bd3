#pragma once

// A side may say that it knows the other side's commands for a step only once its own for that step
// are final; a command for a step it already said it knew the other side's for could be an answer to
// them (a flare thrown at the very step of a launch). This keeps one side's word on that.
#include <cstdint>

class CAckOrder {
  public:
    // What this side acknowledges: the other side's commands it knows (before `known`), never beyond
    // the step its own are final for (before `own_until`).
    static std::uint32_t to_send(std::uint32_t known, std::uint32_t own_until) {
        return known < own_until ? known : own_until;
    }

    // The other side's message: it knows ours before `ack`, its own are final before `until`, and the
    // first of its commands new to us is for `first_new` (UINT32_MAX for none). False when the message
    // acknowledges ahead of its own commands or brings a command for a step acknowledged before.
    bool admits(std::uint32_t ack, std::uint32_t until, std::uint32_t first_new);

  private:
    std::uint32_t acknowledged_ = 0;  // the most the other side said it knew of ours
};
