#pragma once

// The two boards compared at checkpoints: each side reports its board's hash after the same steps. A
// report must come for every checkpoint of ours within a time limit, so a side that sends none (or
// keeps sending others) cannot escape the comparison; a report for a step the other side cannot have
// reached yet is refused, so none can crowd out the real ones.
#include <cstdint>
#include <map>

class CHashCheck {
  public:
    static constexpr double LIMIT = 5;  // seconds a checkpoint of ours may wait for the other side's

    enum verdict { SAME_SO_FAR, DIFFERENT, NOT_REACHED };

    // Our board after `step` steps, at `now` seconds; steps ascending.
    verdict ours(std::uint32_t step, std::uint64_t hash, double now);
    bool taken(std::uint32_t step) const { return taken_any_ && step <= last_taken_; }
    // The other side's, which cannot have run more than `reachable` steps.
    verdict theirs(std::uint32_t step, std::uint64_t hash, std::uint32_t reachable);
    // Forgets reports of theirs for steps before `next` that we never checked (nothing to compare with).
    void passed(std::uint32_t next);
    // Whether one of our checkpoints waited longer than LIMIT for the other side's report.
    bool overdue(double now) const;
    // The last checkpoint both boards were found alike at, and the hash both had; 0 and 0 before one.
    std::uint32_t agreed_step() const { return agreed_step_; }
    std::uint64_t agreed_hash() const { return agreed_hash_; }

  private:
    verdict compare(std::uint32_t step);

    struct checkpoint {
        std::uint64_t hash;
        double at;
    };
    std::map<std::uint32_t, checkpoint> ours_;
    std::map<std::uint32_t, std::uint64_t> theirs_;
    bool taken_any_ = false;
    std::uint32_t last_taken_ = 0;
    std::uint32_t agreed_step_ = 0;
    std::uint64_t agreed_hash_ = 0;
};
