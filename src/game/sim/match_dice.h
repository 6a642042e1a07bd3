#pragma once

#include <cstdint>

// The C library's additive generator (the one glibc's rand() runs), kept as a value: a board saved and
// restored, or a planner's trial, can take the match's dice along and put them back. Seeded alike, it
// draws exactly what srand() and rand() would.
class CMatchDice {
  public:
    explicit CMatchDice(std::uint32_t seed) { reseed(seed); }
    CMatchDice() : CMatchDice(1) {}
    void reseed(std::uint32_t seed);
    // 0 to RAND_MAX (2^31 - 1).
    int next();
    bool operator==(const CMatchDice& other) const;

  private:
    static constexpr int DEGREE = 31;
    static constexpr int SEPARATION = 3;
    std::int32_t table[DEGREE];
    int front;
    int rear;
};
